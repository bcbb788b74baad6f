#pragma once

#include "io/output_file.hpp"
#include "store/record.hpp"

namespace recdb {

// Writes one record in the database file's form: name length, name, group,
// the two rating numbers, then the info length and the info, or -1 for no
// info. The texts are written as given; a record a load keeps has neither a
// zero byte nor a name longer than 63 bytes.
void writeRecord(io::OutputFile& file, const RecordView& record);

}  // namespace recdb
