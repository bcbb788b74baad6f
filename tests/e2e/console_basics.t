# Blank lines give no reply and no prompt; spaces are collapsed but tabs are
# not separators; keywords are case-sensitive; exit ends the run whatever
# follows it on the line.
=== input

   
	
  insert    name=Alder group=3 rating=4.5 info=tall  
Exit
EXIT
exit now please
print
=== output
>:: New Data is inserted successfully.
>:: Unknown Request Type.
>:: Unknown Request Type.
>:: Good bye!
