#include "output/file_print.hpp"

#include <string>
#include <string_view>

#include <cerrno>
#include <new>

#include "io/file_writer.hpp"
#include "output/print_order.hpp"
#include "output/record_format.hpp"

namespace recdb {

namespace {

// "Results of a selection from the database." in the Windows-1251 code page.
constexpr std::string_view ReportTitle =
    "\xD0\xE5\xE7\xF3\xEB\xFC\xF2\xE0\xF2\xFB \xE2\xFB\xE1\xEE\xF0\xEA\xE8 \xE8\xE7 \xC1\xE0\xE7\xFB "
    "\xC4\xE0\xED\xED\xFB\xF5.";
constexpr std::string_view HomeLink = "https://example.org/recdb/";

void writeTextReport(io::OutputFile& file, const RecordStore& records, const Selection& selection, FieldSet fields,
                     io::ProgressMeter& meter) {
    std::string line;
    forEachRecord(records, selection.records, [&](RecordId id) {
        meter.advance();
        line.clear();
        appendRecordFields(line, records, id, fields);
        line += '\n';
        file.write(line);
    });
}

void writeHtmlHeader(io::OutputFile& file, FieldSet fields) {
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

void appendHtmlRow(std::string& row, const RecordStore& records, RecordId id, FieldSet fields) {
    row += "\t\t<TR>\n";
    if ((fields & NameField) != 0) {
        row += "\t\t\t<TD WIDTH=250 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>";
        row += records.name(id);
        row += "</TD>\n";
    }
    if ((fields & GroupField) != 0) {
        row += "\t\t\t<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=center VALIGN=top>";
        appendNumber(row, records.group(id));
        row += "</TD>\n";
    }
    if ((fields & RatingField) != 0) {
        row += "\t\t\t<TD WIDTH=80 BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>";
        appendNumber(row, records.ratingNum(id));
        row += '.';
        appendNumber(row, records.ratingDen(id));
        row += "</TD>\n";
    }
    const auto info = records.info(id);
    if ((fields & InfoField) != 0 && info) {
        row += "\t\t\t<TD BGCOLOR=#DDDDDD ALIGN=left VALIGN=top>";
        row += *info;
        row += "</TD>\n";
    }
    row += "\t\t</TR>\n";
}

void writeHtmlReport(io::OutputFile& file, const RecordStore& records, const Selection& selection, FieldSet fields,
                     io::ProgressMeter& meter) {
    writeHtmlHeader(file, fields);
    std::string row;
    forEachRecord(records, selection.records, [&](RecordId id) {
        meter.advance();
        row.clear();
        appendHtmlRow(row, records, id, fields);
        file.write(row);
    });
    std::string footer =
        "\t</TABLE>\n\t<BR><HR><BR>\n\t<CENTER><I>All rights to the data belong to their owners."
        "</I></CENTER><br><CENTER>More about recdb on its web site: <a href=\"";
    footer += HomeLink;
    footer += "\">recdb</a></CENTER>\n</BODY>\n</HTML>\n";
    file.write(footer);
}

}  // namespace

PrintResult filePrintSelection(const std::string& fileName, PrintType printType, const RecordStore& records,
                               Selection& selection, FieldSet fields, SortKey sortKey, io::ProgressReporter& progress) {
    // The sort fails only for want of memory; the report then stops there
    // and the file is left as it was.
    struct OutOfMemory {};
    try {
        const io::WriteOutcome written = io::writeFile(
            fileName,
            [&](io::OutputFile& file) {
                if (!sortForListing(records, selection, sortKey, progress)) {
                    throw OutOfMemory{};
                }
                io::ProgressMeter meter(progress, "writing report", selection.records.size());
                if (printType == PrintType::Html) {
                    writeHtmlReport(file, records, selection, fields, meter);
                } else {
                    writeTextReport(file, records, selection, fields, meter);
                }
            },
            io::Content::Text);
        switch (written) {
        case io::WriteOutcome::Written:
            return {PrintOutcome::Printed};
        case io::WriteOutcome::CannotOpen:
            return {PrintOutcome::CannotOpen, errno};
        case io::WriteOutcome::Failed:
            break;
        }
        return {PrintOutcome::WriteFailed, errno};
    } catch (const OutOfMemory&) {
        return {PrintOutcome::OutOfMemory, ENOMEM};
    } catch (const std::bad_alloc&) {
        return {PrintOutcome::OutOfMemory, ENOMEM};
    }
}

}  // namespace recdb
