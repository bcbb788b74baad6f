#pragma once

#include <cstdint>

#include "exchange/record_fields.hpp"
#include "io/output_file.hpp"
#include "store/record.hpp"

namespace recdb {

// Records as JSON Lines, one object per line:
// {"name":...,"group":...,"rating":"num.den","info":... or null}. Texts are
// written as UTF-8 strings; each sequence of bytes that is not valid UTF-8
// becomes U+FFFD (as many as the Unicode standard's practice of maximal
// subparts gives), and the writer counts the replacements. The form is for
// reading elsewhere: it does not keep such bytes.
class JsonlWriter {
public:
    explicit JsonlWriter(io::OutputFile& out) : out_(out) {}

    void writeRecord(const RecordView& record);

    // How each kind of field looks (see writeFields).
    void field(TableColumn column, std::string_view text);
    void field(TableColumn column, std::int32_t number);
    void field(TableColumn column, RatingValue rating);
    void field(TableColumn column, std::optional<std::string_view> text);
    // The number of bad sequences replaced so far.
    std::uint64_t replacements() const { return replacements_; }

private:
    // The key of a field, after "{" or ",".
    void key(TableColumn column);
    void writeText(std::string_view text);

    io::OutputFile& out_;
    std::uint64_t replacements_ = 0;
};

}  // namespace recdb
