// The types a host of the engine handles besides ScriptControl itself:
// values (Variant), objects it adds (Object, Ref, MemberTable), errors
// (ScriptError, raise), procedure lists and the callbacks for MsgBox,
// InputBox and CreateObject.
#pragma once

#include "vbscript/Errors.h"
#include "vbscript/Object.h"
#include "vbscript/Variant.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace ravelin::vbs {

// True when argument i was left out (`o.M , 2`) or not given at all.
bool isMissing(std::span<Variant> args, size_t i);

struct ProcInfo {
    std::string name;
    int argumentCount = 0;
    bool hasReturnValue = false;
};

struct ModuleInfo {
    std::string name;
    std::vector<ProcInfo> procedures; // definition order
};

struct HostCallbacks {
    std::function<int(const std::string& prompt, int buttons, const std::string& title)> msgBox;
    std::function<Variant(const std::string& prompt, const std::string& title, const std::string& def)> inputBox;
    // CreateObject for ProgIDs the engine does not know; return Nothing to refuse.
    std::function<Ref<Object>(const std::string& progId)> createObject;
};

} // namespace ravelin::vbs
