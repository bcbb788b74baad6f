#include "console/greeting.hpp"

#include <cstdlib>

#include "console/manual_page.hpp"

namespace recdb {

std::string_view greeting() {
    if (manualPageInstalled(std::getenv("PATH"), std::getenv("MANPATH"))) {
        return "recdb " RECDB_VERSION
               ": type help for the requests (\"man recdb\" tells all); Tab completes, Ctrl-D ends.\n";
    }
    return "recdb " RECDB_VERSION ": type help for the requests; Tab completes, Ctrl-D ends.\n";
}

}  // namespace recdb
