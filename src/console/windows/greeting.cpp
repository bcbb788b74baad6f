#include "console/greeting.hpp"

namespace recdb {

// The Windows console completes nothing; Ctrl-Z then Enter ends, and the
// manual page comes as HTML beside the program.
std::string_view greeting() {
    return "recdb " RECDB_VERSION ": type help for the requests; Ctrl-Z then Enter ends, and recdb.html tells all.\n";
}

}  // namespace recdb
