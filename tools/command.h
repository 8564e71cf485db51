// vemi-disc sub-commands register themselves here, one file per command family.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tool {

using CommandFn = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    std::string name;
    std::string usage;  // one line: "dump FILE.ndt"
    std::string help;   // what it does
    CommandFn run;
};

bool Register(Command c);
const std::vector<Command>& Commands();

// Prints "vemi-disc: message" on standard error and returns 1.
int Fail(const std::string& message);

}  // namespace tool

#define VEMI_TOOL_CONCAT2(a, b) a##b
#define VEMI_TOOL_CONCAT(a, b) VEMI_TOOL_CONCAT2(a, b)
#define VEMI_REGISTER_COMMAND(...) \
    static const bool VEMI_TOOL_CONCAT(registered_, __LINE__) = ::tool::Register(::tool::Command{__VA_ARGS__})
