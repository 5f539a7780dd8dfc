// Scripting.FileSystemObject, the text-file subset: existence checks, path
// helpers, folders, and TextStream objects for reading, writing and appending.
//
// Files are bytes (one byte per character, as all text in the program). A
// stream opened for reading loads the file once and serves lines from memory;
// ReadLine accepts CR LF and LF line ends. Writing goes straight to the file
// and WriteLine ends lines with CR LF as the original does.
#pragma once

#include "vbscript/Object.h"

#include <cstdio>
#include <string>

namespace ravelin::vbs {

class FileSystemObject : public Object {
public:
    std::string typeName() const override { return "FileSystemObject"; }
    int memberId(std::string_view name) const override;
    const void* memberKey() const override;
    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override;
    std::vector<std::string> memberNames() const override;
};

class TextStream : public Object {
public:
    enum class Mode { Read = 1, Write = 2, Append = 8 };
    // Opens `path`; raises the file errors (53, 58, 70, 76) on failure.
    TextStream(const std::string& path, Mode mode, bool create, bool overwrite);
    ~TextStream() override;
    std::string typeName() const override { return "TextStream"; }
    int memberId(std::string_view name) const override;
    const void* memberKey() const override;
    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override;

private:
    void requireReading() const;
    void requireWriting() const;
    void write(const std::string& text);
    void openForReading(const std::string& path);
    bool fill(); // reads one more block; false at the end of the file
    bool atEnd();
    size_t findLineEnd(); // position of the next '\n', npos when the file ends first

    Mode m_mode;
    std::FILE* m_file = nullptr;
    std::string m_data; // the window of the file being read
    size_t m_pos = 0;
    bool m_eof = false;
    bool m_anyRead = false; // the file held text (ReadAll at its end is error 62)
    int m_line = 1;
    int m_column = 1;
    bool m_closed = false;
};

} // namespace ravelin::vbs
