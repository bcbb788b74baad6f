#include "console/greeting.hpp"

namespace recdb {

std::string_view greeting(bool manualPageInstalled) {
    if (manualPageInstalled) {
        return "recdb " RECDB_VERSION
               ": type help for the requests (\"man recdb\" tells all); Tab completes, Ctrl-D ends.\n";
    }
    return "recdb " RECDB_VERSION ": type help for the requests; Tab completes, Ctrl-D ends.\n";
}

}  // namespace recdb
