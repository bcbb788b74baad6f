#include "store/record_writer.hpp"

namespace recdb {

void writeRecord(io::OutputFile& file, const RecordView& record) {
    file.writeInt32(static_cast<std::int32_t>(record.name.size()));
    file.write(record.name);
    file.writeInt32(record.group);
    file.writeInt32(record.ratingNum);
    file.writeInt32(record.ratingDen);
    if (record.info) {
        file.writeInt32(static_cast<std::int32_t>(record.info->size()));
        file.write(*record.info);
    } else {
        file.writeInt32(-1);
    }
}

}  // namespace recdb
