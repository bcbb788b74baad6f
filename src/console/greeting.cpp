#include "console/greeting.hpp"

namespace recdb {

std::string_view greeting() {
    return "recdb " RECDB_VERSION ": Tab completes, Ctrl-D ends, and \"man recdb\" describes the requests.\n";
}

}  // namespace recdb
