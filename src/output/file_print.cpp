#include "output/file_print.hpp"

#include <string>
#include <string_view>

#include "output/record_fields.hpp"
#include "store/output_file.hpp"

namespace recdb {

namespace {

// "Results of a selection from the database." in the Windows-1251 code page.
constexpr std::string_view ReportTitle = "\xD0\xE5\xE7\xF3\xEB\xFC\xF2\xE0\xF2\xFB \xE2\xFB\xE1\xEE\xF0\xEA\xE8 \xE8\xE7 \xC1\xE0\xE7\xFB \xC4\xE0\xED\xED\xFB\xF5.";
constexpr std::string_view HomeLink = "https://example.org/recdb/";

void writeTextReport(OutputFile& file, const Selection& selection, FieldSet fields) {
    std::string line;
    for (const RefNode& ref : selection.entries) {
        line.clear();
        appendRecordFields(line, ref.record->record, fields);
        line += '\n';
        file.write(line);
    }
}

void writeHtmlHeader(OutputFile& file, FieldSet fields) {
    std::string text = "<HTML>\n<HEAD>\n\t<TITLE>";
    text += ReportTitle;
    text += " [Tarnwick]</TITLE>\n</HEAD>\n<BODY>\n\t<CENTER><H1>";
    text += ReportTitle;
    text += " [<a href=\"";
    text += HomeLink;
    text += "\">Tarnwick</a>]</H1></CENTER>\n\t<BR><HR><BR>\n\t<TABLE CELLSPACING=3 WIDTH=100%>\n\t\t<TR>\n";
    if (fields & NameField) {
        text += "\t\t\t<TD WIDTH=250 BGCOLOR=#999999  ALIGN=center><B>NAME</B></TD>\n";
    }
    if (fields & GroupField) {
        text += "\t\t\t<TD WIDTH=80 BGCOLOR=#999999  ALIGN=center><B>GROUP</B></TD>\n";
    }
    if (fields & RatingField) {
        text += "\t\t\t<TD WIDTH=80 BGCOLOR=#999999  ALIGN=center><B>RATING</B></TD>\n";
    }
    if (fields & InfoField) {
        text += "\t\t\t<TD BGCOLOR=#999999  ALIGN=center><B>INFO</B></TD>\n";
    }
    text += "\t\t</TR>\n";
    file.write(text);
}

void appendHtmlRow(std::string& row, const Record& record, FieldSet fields) {
    row += "\t\t<TR>\n";
    if (fields & NameField) {
        row += "\t\t\t<TD WIDTH=250 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>";
        row += record.nameView();
        row += "</TD>\n";
    }
    if (fields & GroupField) {
        row += "\t\t\t<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=center VALIGN=top>";
        appendNumber(row, record.group);
        row += "</TD>\n";
    }
    if (fields & RatingField) {
        row += "\t\t\t<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>";
        appendNumber(row, record.ratingNum);
        row += '.';
        appendNumber(row, record.ratingDen);
        row += "</TD>\n";
    }
    if ((fields & InfoField) && record.info) {
        row += "\t\t\t<TD BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>";
        row += *record.info;
        row += "</TD>\n";
    }
    row += "\t\t</TR>\n";
}

void writeHtmlReport(OutputFile& file, const Selection& selection, FieldSet fields) {
    writeHtmlHeader(file, fields);
    std::string row;
    for (const RefNode& ref : selection.entries) {
        row.clear();
        appendHtmlRow(row, ref.record->record, fields);
        file.write(row);
    }
    std::string footer = "\t</TABLE>\n\t<BR><HR><BR>\n\t<CENTER><I>All rights to the data belong to their owners."
                         "</I></CENTER><br><CENTER>More about recdb on its web site: <a href=\"";
    footer += HomeLink;
    footer += "\">recdb</a></CENTER>\n</BODY>\n</HTML>\n";
    file.write(footer);
}

}  // namespace

int filePrintSelection(const std::string& fileName, PrintType printType, Selection& selection, FieldSet fields,
                       SortKey sortKey) {
    OutputFile file;
    if (fileName.empty() || !file.open(fileName)) {
        return -2;
    }
    sortBySortKey(selection, sortKey);
    if (printType == PrintType::Html) {
        writeHtmlReport(file, selection, fields);
    } else {
        writeTextReport(file, selection, fields);
    }
    return file.close() ? 0 : -3;
}

}  // namespace recdb
