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

std::ostream& ToolMessages::warning() { return quiet_ ? dropped() : error() << "warning: "; }

std::ostream& ToolMessages::done() { return quiet_ ? dropped() : error(); }

}  // namespace recdb
