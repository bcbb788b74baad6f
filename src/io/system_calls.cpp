#include "io/system_calls.hpp"

namespace recdb::io {

namespace {

class RealCalls final : public SystemCalls {};

RealCalls realCalls;
SystemCalls* current = &realCalls;

}  // namespace

SystemCalls& systemCalls() { return *current; }

SystemCallsOverride::SystemCallsOverride(SystemCalls& calls) : previous_(current) { current = &calls; }

SystemCallsOverride::~SystemCallsOverride() { current = previous_; }

}  // namespace recdb::io
