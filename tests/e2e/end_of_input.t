# The end of the input ends the run as exit does, and a last line without a
# line feed is still a request.
=== input noeol
insert name=a
select
print name
=== output
>:: New Data is inserted successfully.
>:: The Selecting is done successfully.
> > a	
:: The Printing is done successfully.
>:: Good bye!
