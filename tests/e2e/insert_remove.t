# Requests refused before any select or without a name, insert replacing a
# record of the same name, remove of a missing name, and how insert and
# remove end the current selection.
=== input
print
reselect name=x
fileprint name end out.txt HTML
insert group=3
remove
insert name=Alder group=3
insert name=Birch group=2 rating=1.2
insert name=Alder group=4 rating=2.3 info=new
select
print name group rating info
insert group=9
print name
remove name=Nobody group=9
print name
select name=Alder
remove name=Alder
print
select
print name group
exit
=== output
>!: The selection does not exist.
>!: The selection does not exist.
>!: The selection does not exist.
>!: The values are incorrect. (the name is not given!)
>!: The values are incorrect. (the name is not given!)
>:: New Data is inserted successfully.
>:: New Data is inserted successfully.
>:: The data with this name is removed.
:: New Data is inserted successfully.
>:: The Selecting is done successfully.
> > Birch	2	1.2	
 > Alder	4	2.3	new
:: The Printing is done successfully.
>!: The values are incorrect. (the name is not given!)
> > Birch	
 > Alder	
:: The Printing is done successfully.
>!: The data with this name do not exist.
>!: The selection does not exist.
>:: The Selecting is done successfully.
>:: The data with this name is removed.
>!: The selection does not exist.
>:: The Selecting is done successfully.
> > Birch	2	
:: The Printing is done successfully.
>:: Good bye!
