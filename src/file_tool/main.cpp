// recdb-file: checks, rescues, exports and imports recdb database files. A
// thin command line over the commands of the file tool library.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <new>
#include <string>

#include "file_tool/check.hpp"
#include "file_tool/command_line.hpp"
#include "file_tool/export_file.hpp"
#include "file_tool/import_file.hpp"
#include "file_tool/salvage.hpp"
#include "file_tool/tool_messages.hpp"
#include "file_tool/tool_status.hpp"
#include "io/grouped_number.hpp"
#include "io/process.hpp"

namespace {

// What the command line gave.
struct Arguments {
    std::string file;
    std::string output;
    std::string format;  // empty: from the file's name
    std::string where;
    std::string sort;
    std::vector<std::string> maps;
    bool ignoreOtherColumns = false;
    bool quiet = false;
};

recdb::ToolOutcome runExport(const Arguments& arguments, const CLI::App& exporter, recdb::ToolMessages& messages) {
    recdb::ExportRequest request(arguments.file);
    if (exporter.get_option("OUTPUT")->count() > 0) {
        request.output = arguments.output;
    }
    request.format = !arguments.format.empty() ? recdb::formatOfName("." + arguments.format)
                     : request.output          ? recdb::formatOfName(*request.output)
                                               : recdb::ExportFormat::Csv;
    if (exporter.get_option("--where")->count() > 0) {
        request.where = arguments.where;
    }
    if (!arguments.sort.empty()) {
        request.order = recdb::orderOfName(arguments.sort);
    }
    return recdb::exportFile(request, messages);
}

recdb::ToolOutcome runImport(const Arguments& arguments, recdb::ToolMessages& messages) {
    recdb::ImportRequest request(arguments.file, arguments.output);
    const recdb::ExportFormat named =
        arguments.format.empty() ? recdb::formatOfName(arguments.file) : recdb::formatOfName("." + arguments.format);
    if (named == recdb::ExportFormat::Jsonl) {
        messages.error() << "import reads CSV or TSV, and " << arguments.file
                         << " is named as JSON Lines; give --format csv or --format tsv to read it as such\n";
        return recdb::ToolOutcome(recdb::CannotProceed);
    }
    request.format = named == recdb::ExportFormat::Tsv ? recdb::TableFormat::Tsv : recdb::TableFormat::Csv;
    request.columns.ignoreOthers = arguments.ignoreOtherColumns;
    if (const auto problem = recdb::readColumnMaps(arguments.maps, request.columns)) {
        messages.error() << *problem << '\n';
        return recdb::ToolOutcome(recdb::CannotProceed);
    }
    return recdb::importFile(request, messages);
}

int run(int argc, char** argv) {
    CLI::App app("Checks, rescues, exports and imports recdb database files.", std::string(recdb::ToolName));
    app.set_version_flag("--version", std::string(recdb::ToolName) + " " + RECDB_VERSION);
    app.require_subcommand(1);
    app.fallthrough();
    // Options begin with "-" on every system: "/data/x.db" is a file.
    app.allow_windows_style_options(false);

    Arguments arguments;
    app.add_flag("-q,--quiet", arguments.quiet,
                 "say nothing on standard error but errors: no warnings, no count of the records written");

    CLI::App* check = app.add_subcommand("check", "Report what a load would make of FILE; change nothing.");
    check->add_option("FILE", arguments.file, "the database file")->required();

    CLI::App* salvage = app.add_subcommand("salvage", "Write every record of FILE that reads soundly to OUTPUT.");
    salvage->add_option("FILE", arguments.file, "the damaged database file")->required();
    salvage->add_option("OUTPUT", arguments.output, "the database file to write")->required();

    CLI::App* exporter = app.add_subcommand("export", "Write the records of FILE as CSV, TSV or JSON Lines.");
    exporter
        ->add_option("--format", arguments.format,
                     "csv, tsv or jsonl (by default from OUTPUT's name: .tsv, .jsonl, else csv)")
        ->check(CLI::IsMember({"csv", "tsv", "jsonl"}));
    exporter->add_option("--where", arguments.where,
                         "write only the records that recdb's select with these conditions finds, "
                         "such as \"name=Al* group=2-4 rating=1.2-*\"");
    exporter->add_option("--sort", arguments.sort, "order the records as recdb's print ... sort FIELD does")
        ->check(CLI::IsMember({"name", "group", "rating"}));
    exporter->add_option("FILE", arguments.file, "the database file")->required();
    exporter->add_option("OUTPUT", arguments.output, "the file to write (standard output if none)");

    CLI::App* importer = app.add_subcommand("import", "Write the rows of INPUT, CSV or TSV, as a database file.");
    importer->add_option("--format", arguments.format, "csv or tsv (by default from INPUT's name: .tsv, else csv)")
        ->check(CLI::IsMember({"csv", "tsv"}));
    importer
        ->add_option("--map", arguments.maps,
                     "take FIELD (name, group, rating or info) from the column headed COLUMN; repeatable")
        ->type_name("FIELD=COLUMN");
    importer->add_flag("--ignore-other-columns", arguments.ignoreOtherColumns,
                       "pass over the columns that no field takes, instead of refusing the file");
    importer->add_option("INPUT", arguments.file, "the CSV or TSV file")->required();
    importer->add_option("OUTPUT", arguments.output, "the database file to write")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? recdb::AllWell : recdb::CannotProceed;
    }

    recdb::ToolMessages messages(std::cerr, arguments.quiet);
    recdb::ToolOutcome outcome;
    if (check->parsed()) {
        outcome.status = recdb::checkFile(arguments.file, std::cout, std::cerr);
    } else if (salvage->parsed()) {
        outcome = recdb::salvageFile(arguments.file, arguments.output, std::cout, std::cerr);
    } else if (exporter->parsed()) {
        outcome = runExport(arguments, *exporter, messages);
    } else {
        outcome = runImport(arguments, messages);
    }
    if (outcome.recordsWritten) {
        const std::uint64_t count = *outcome.recordsWritten;
        std::string grouped;
        recdb::io::appendGrouped(grouped, count);
        messages.done() << grouped << (count == 1 ? " record" : " records") << " written to " << arguments.output
                        << '\n';
    }
    if (!std::cout.flush()) {
        messages.error() << "writing to standard output failed\n";
        return recdb::CannotProceed;
    }
    return outcome.status;
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit must make a write fail, not end the program.
    recdb::io::letWritesFail(false);
    // File names and messages are UTF-8 on every system.
    const recdb::io::Utf8Console console;
    try {
        recdb::io::CommandLine arguments(argc, argv);
        return run(arguments.count(), arguments.values());
    } catch (const std::bad_alloc&) {
        recdb::toolMessage(std::cerr) << "out of memory; no output file was replaced\n";
    } catch (const std::exception& error) {
        recdb::toolMessage(std::cerr) << error.what() << "; no output file was replaced\n";
    }
    return recdb::CannotProceed;
}
