# DBstore and DBload of the example file and of a copy, with the refusals of
# an empty database and of over-long file names, then text and HTML reports,
# reports without a file name, and a failed load that empties the database.
=== input
DBstore empty.db
DBload example.db
select
print name group rating info
DBstore
DBstore LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL
print name
insert name=b<i> group=-1 rating=3.-1 info=<B>bold</B>
insert name=c group=2 info=
DBstore copy.db
DBstore copy.db ignored words
DBload copy.db
print name
select
fileprint name group rating info sort rating end report.txt
fileprint name group rating info sort name end report.html HTML
fileprint end fields.txt TEXT
fileprint name group
fileprint name end
fileprint name end .
fileprint name end FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF HTML
print name
DBload missing.db
print name
select
print name
DBload example.db
select
print name group rating info
exit
=== output
>!: The DataBase is stored unsuccessfully:-1.
>:: The DataBase is loaded successfully.
>:: The Selecting is done successfully.
> > abc	7	3.4	
:: The Printing is done successfully.
>!: The DataBase is stored unsuccessfully:-2.
>!: Error: The filename is incorrect.
> > abc	
:: The Printing is done successfully.
>:: New Data is inserted successfully.
>:: New Data is inserted successfully.
>:: The DataBase is stored successfully.
>:: The DataBase is stored successfully.
>:: The DataBase is loaded successfully.
>!: The selection does not exist.
>:: The Selecting is done successfully.
>:: The Printing in file is done successfully.
>:: The Printing in file is done successfully.
>:: The Printing in file is done successfully.
>!: Error: in printing:-2.
>!: Error: in printing:-2.
>!: Error: in printing:-2.
>!: Error: The filename is incorrect.
> > abc	
 > b<i>	
 > c	
:: The Printing is done successfully.
>!: The DataBase is loaded unsuccessfully:-2.
>!: The selection does not exist.
>:: The Selecting is done successfully.
>:: The Printing is done successfully.
>:: The DataBase is loaded successfully.
>:: The Selecting is done successfully.
> > abc	7	3.4	
:: The Printing is done successfully.
>:: Good bye!
=== given example.db hex
03000000616263070000000300000004000000ffffffff
=== expect copy.db hex
03000000616263070000000300000004000000ffffffff04000000623c693eff
ffffff03000000ffffffff0b0000003c423e626f6c643c2f423e010000006302
000000000000000000000000000000
=== expect fields.txt



=== expect report.html
<HTML>
<HEAD>
	<TITLE>Результаты выборки из Базы Данных. [Tarnwick]</TITLE>
</HEAD>
<BODY>
	<CENTER><H1>Результаты выборки из Базы Данных. [<a href="https://example.org/recdb/">Tarnwick</a>]</H1></CENTER>
	<BR><HR><BR>
	<TABLE CELLSPACING=3 WIDTH=100%>
		<TR>
			<TD WIDTH=250 BGCOLOR=#999999  ALIGN=center><B>NAME</B></TD>
			<TD WIDTH=80 BGCOLOR=#999999  ALIGN=center><B>GROUP</B></TD>
			<TD WIDTH=80 BGCOLOR=#999999  ALIGN=center><B>RATING</B></TD>
			<TD BGCOLOR=#999999  ALIGN=center><B>INFO</B></TD>
		</TR>
		<TR>
			<TD WIDTH=250 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>abc</TD>
			<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=center VALIGN=top>7</TD>
			<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>3.4</TD>
		</TR>
		<TR>
			<TD WIDTH=250 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>b<i></TD>
			<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=center VALIGN=top>-1</TD>
			<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>3.-1</TD>
			<TD BGCOLOR=#DDDDDD ALIGN=left VALIGN=top><B>bold</B></TD>
		</TR>
		<TR>
			<TD WIDTH=250 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>c</TD>
			<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=center VALIGN=top>2</TD>
			<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>0.0</TD>
			<TD BGCOLOR=#DDDDDD ALIGN=left VALIGN=top></TD>
		</TR>
	</TABLE>
	<BR><HR><BR>
	<CENTER><I>All rights to the data belong to their owners.</I></CENTER><br><CENTER>More about recdb on its web site: <a href="https://example.org/recdb/">recdb</a></CENTER>
</BODY>
</HTML>
=== expect report.txt
c	2	0.0	
b<i>	-1	3.-1	<B>bold</B>
abc	7	3.4	
