// The Err object: a view of the interpreter's error state (Number, the
// default member, Description, Source, HelpFile, HelpContext) with Raise and
// Clear. One per interpreter, reachable from every module as `Err`.
#pragma once

#include "vbscript/Object.h"

namespace ravelin::vbs {

class Interpreter;

class ErrObject : public Object {
public:
    explicit ErrObject(Interpreter* in) : m_in(in) {}
    std::string typeName() const override { return "ErrObject"; }
    int memberId(std::string_view name) const override;
    const void* memberKey() const override { return &members(); }
    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override;

private:
    static const MemberTable& members();
    Interpreter* m_in;
};

} // namespace ravelin::vbs
