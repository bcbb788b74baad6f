// recdb-file: checks, rescues, exports and imports recdb database files. A
// thin command line over the commands of the file tool library.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <new>
#include <string>

#include "file_tool/check.hpp"
#include "file_tool/export_file.hpp"
#include "file_tool/import_file.hpp"
#include "file_tool/salvage.hpp"
#include "file_tool/tool_status.hpp"
#include "io/process.hpp"

namespace {

int run(int argc, char** argv) {
    CLI::App app("Checks, rescues, exports and imports recdb database files.", "recdb-file");
    app.set_version_flag("--version", std::string("recdb-file ") + RECDB_VERSION);
    app.require_subcommand(1);
    // Options begin with "-" on every system: "/data/x.db" is a file.
    app.allow_windows_style_options(false);

    std::string file;
    std::string output;
    std::string format = "csv";

    CLI::App* check = app.add_subcommand("check", "Report what a load would make of FILE; change nothing.");
    check->add_option("FILE", file, "the database file")->required();

    CLI::App* salvage = app.add_subcommand("salvage", "Write every record of FILE that reads soundly to OUTPUT.");
    salvage->add_option("FILE", file, "the damaged database file")->required();
    salvage->add_option("OUTPUT", output, "the database file to write")->required();

    CLI::App* exporter = app.add_subcommand("export", "Write the records of FILE as CSV, TSV or JSON Lines.");
    exporter->add_option("--format", format, "csv (the default), tsv or jsonl")
        ->check(CLI::IsMember({"csv", "tsv", "jsonl"}));
    exporter->add_option("FILE", file, "the database file")->required();
    CLI::Option* exportOutput = exporter->add_option("OUTPUT", output, "the file to write (standard output if none)");

    CLI::App* importer = app.add_subcommand("import", "Write the rows of INPUT, CSV or TSV, as a database file.");
    importer->add_option("--format", format, "csv (the default) or tsv")->check(CLI::IsMember({"csv", "tsv"}));
    importer->add_option("INPUT", file, "the CSV or TSV file")->required();
    importer->add_option("OUTPUT", output, "the database file to write")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? recdb::AllWell : recdb::CannotProceed;
    }

    int status = recdb::AllWell;
    if (check->parsed()) {
        status = recdb::checkFile(file, std::cout, std::cerr);
    } else if (salvage->parsed()) {
        status = recdb::salvageFile(file, output, std::cout, std::cerr);
    } else if (exporter->parsed()) {
        recdb::ExportRequest request{file, std::nullopt, recdb::ExportFormat::Csv};
        if (exportOutput->count() > 0) {
            request.output = output;
        }
        request.format = format == "tsv"     ? recdb::ExportFormat::Tsv
                         : format == "jsonl" ? recdb::ExportFormat::Jsonl
                                             : recdb::ExportFormat::Csv;
        status = recdb::exportFile(request, std::cerr);
    } else {
        const auto tableFormat = format == "tsv" ? recdb::TableFormat::Tsv : recdb::TableFormat::Csv;
        status = recdb::importFile({file, output, tableFormat}, std::cerr);
    }
    if (!std::cout.flush()) {
        std::cerr << "recdb-file: writing to standard output failed\n";
        return recdb::CannotProceed;
    }
    return status;
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
        std::cerr << "recdb-file: out of memory; no output file was replaced\n";
    } catch (const std::exception& error) {
        std::cerr << "recdb-file: " << error.what() << "; no output file was replaced\n";
    }
    return recdb::CannotProceed;
}
