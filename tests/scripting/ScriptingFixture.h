// A script host over a private application folder, with the main window's
// controls and operations recorded.
#pragma once

#include "scripting/RavelinObject.h"
#include "scripting/ScriptHost.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace ravelin::test {

struct RecordingView : ScriptHostView {
    std::vector<std::string> consoleProcs;
    std::vector<std::string> scripts;
    std::vector<std::string> debug;
    int clears = 0;

    void clearScriptLists() override
    {
        ++clears;
        consoleProcs.clear();
        scripts.clear();
    }
    void addConsoleProc(const std::string& p) override { consoleProcs.push_back(p); }
    void addScriptEntry(const std::string& e) override { scripts.push_back(e); }
    void DebugPrint(const std::string& t) override { debug.push_back(t); }
};

struct RecordingOperations : RavelinOperations {
    std::vector<std::string> sent;
    ScriptHost* host = nullptr;
    RecordingView* view = nullptr;

    void ConsoleOut(const std::string& s) override { sent.push_back(s); }
    std::string ConsoleExec(const std::string& s) override { return "ran " + s + "\r\n"; }
    void DebugPrint(const std::string& s) override { view->DebugPrint(s); }
    void InitScripts() override { host->InitScripts(); }
    std::string sGetComputerName() override { return "testhost"; }
};

struct ScriptingTest : testing::Test {
    TempDir app{"ravelin-app"};
    vbs::ScriptControl engine;
    RecordingView view;
    RecordingOperations operations;
    OperationTable table;
    ScriptHost host{engine, view, table, app.path()};

    ScriptingTest()
    {
        addRavelinOperations(table, operations);
        std::filesystem::create_directories(app.path() / "Scripts");
        operations.host = &host;
        operations.view = &view;
    }

    void write(const std::string& name, const std::string& text) { writeFile(app.path() / "Scripts" / name, text); }

    // Evaluates an expression in a module after loading.
    std::string eval(const std::string& expression, const std::string& module = "Global")
    {
        auto value = engine.eval(expression, module);
        EXPECT_TRUE(value) << expression << ": " << engine.error().description;
        return value ? value->toText() : std::string("<error>");
    }
};

} // namespace ravelin::test
