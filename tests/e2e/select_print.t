# Each select strategy in its own order, sorting by name, group, rating or
# nothing, and reselect narrowing the selection. Names with bytes above 127
# (Windows-1251) sort after ASCII.
=== input
insert name=b group=3 rating=1.2 info=x
insert name=a group=7 rating=2.3
insert name=ία group=-3 rating=5.0 info=
insert name=C group=0 rating=0.0
insert name=d group=3 rating=2.4 info=two	parts
select
print name sort rating
print name rating
print name sort group name
print name group sort group
print name sort info
print name rating info sort rating
select rating=1.2
print name
select rating=5.0
print name
select group=0-2147483647
print name group
select group=3-*
print name
select group=0
print name
select rating=0.1-* group=*
print name
reselect name=*
print name
reselect group=3
print name
reselect name=zz
print name
reselect
print
select name=d rating=1.2
print name
select name=d group=9
print name
exit
=== output
>:: New Data is inserted successfully.
>:: New Data is inserted successfully.
>:: New Data is inserted successfully.
>:: New Data is inserted successfully.
>:: New Data is inserted successfully.
>:: The Selecting is done successfully.
> > C	
 > ία	
 > b	
 > d	
 > a	
:: The Printing is done successfully.
> > C	0.0	
 > ία	5.0	
 > b	1.2	
 > d	2.4	
 > a	2.3	
:: The Printing is done successfully.
> > C	
 > a	
 > b	
 > d	
 > ία	
:: The Printing is done successfully.
> > ία	-3	
 > C	0	
 > b	3	
 > d	3	
 > a	7	
:: The Printing is done successfully.
> > ία	
 > C	
 > b	
 > d	
 > a	
:: The Printing is done successfully.
> > C	0.0	
 > ία	5.0	
 > b	1.2	x
 > d	2.4	two	parts
 > a	2.3	
:: The Printing is done successfully.
>:: The Selecting is done successfully.
> > b	
 > d	
:: The Printing is done successfully.
>:: The Selecting is done successfully.
> > ία	
 > C	
:: The Printing is done successfully.
>:: The Selecting is done successfully.
> > C	0	
 > b	3	
 > d	3	
 > a	7	
:: The Printing is done successfully.
>:: The Selecting is done successfully.
>:: The Printing is done successfully.
>:: The Selecting is done successfully.
> > C	
:: The Printing is done successfully.
>:: The Selecting is done successfully.
> > b	
 > a	
 > d	
:: The Printing is done successfully.
>:: The ReSelecting is done successfully.
> > b	
 > a	
 > d	
:: The Printing is done successfully.
>:: The ReSelecting is done successfully.
> > b	
 > d	
:: The Printing is done successfully.
>:: The ReSelecting is done successfully.
>:: The Printing is done successfully.
>:: The ReSelecting is done successfully.
>:: The Printing is done successfully.
>:: The Selecting is done successfully.
> > d	
:: The Printing is done successfully.
>:: The Selecting is done successfully.
>:: The Printing is done successfully.
>:: Good bye!
