# A Ctrl-Z byte (0x1A) in piped input is data, inside a line and alone on
# one: it ends nothing, on Windows neither, where the C library's text mode
# would end the input there.
=== input
insert name=ab info=

select
print name info
exit
=== output
>:: New Data is inserted successfully.
>:: Unknown Request Type.
>:: The Selecting is done successfully.
> > ab	
:: The Printing is done successfully.
>:: Good bye!
