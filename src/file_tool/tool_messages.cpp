#include "file_tool/tool_messages.hpp"

namespace recdb {

namespace {

// A stream without a buffer: whatever it is given goes nowhere.
std::ostream& dropped() {
    static std::ostream nowhere(nullptr);
    return nowhere;
}

}  // namespace

std::ostream& toolMessage(std::ostream& err) { return err << ToolName << ": "; }

std::string withThousands(std::uint64_t count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[k];
    }
    return grouped;
}

std::ostream& ToolMessages::warning() { return quiet_ ? dropped() : error() << "warning: "; }

std::ostream& ToolMessages::done() { return quiet_ ? dropped() : error(); }

}  // namespace recdb
