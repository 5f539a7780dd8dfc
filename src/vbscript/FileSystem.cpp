// Scripting.FileSystemObject and TextStream.
#include "vbscript/FileSystem.h"
#include "vbscript/Interrupt.h"

#include "vbscript/Builtins.h"
#include "vbscript/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace ravelin::vbs {

namespace {

enum {
    FileExists = 1,
    FolderExists,
    OpenTextFile,
    CreateTextFile,
    DeleteFile,
    BuildPath,
    GetFileName,
    GetParentFolderName,
    CreateFolder,
    GetBaseName,
    GetExtensionName,
    DeleteFolder,
    GetAbsolutePathName
};

const MemberTable& fsoMembers()
{
    static const MemberTable table({"FileExists", "FolderExists", "OpenTextFile", "CreateTextFile", "DeleteFile",
                                    "BuildPath", "GetFileName", "GetParentFolderName", "CreateFolder", "GetBaseName",
                                    "GetExtensionName", "DeleteFolder", "GetAbsolutePathName"});
    return table;
}

enum {
    ReadLine = 1,
    ReadAll,
    Read,
    Write,
    WriteLine,
    WriteBlankLines,
    AtEndOfStream,
    AtEndOfLine,
    Close,
    SkipLine,
    Line,
    Column,
    Skip
};

const MemberTable& streamMembers()
{
    static const MemberTable table({"ReadLine", "ReadAll", "Read", "Write", "WriteLine", "WriteBlankLines",
                                    "AtEndOfStream", "AtEndOfLine", "Close", "SkipLine", "Line", "Column", "Skip"});
    return table;
}

// Paths from scripts may use '\' as on the original platform.
std::string nativePath(std::string p)
{
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

bool isSep(char c) { return c == '/' || c == '\\'; }

std::string fileNamePart(const std::string& path)
{
    size_t e = path.size();
    while (e > 0 && isSep(path[e - 1]))
        --e;
    size_t b = e;
    while (b > 0 && !isSep(path[b - 1]))
        --b;
    return path.substr(b, e - b);
}

std::string parentPart(const std::string& path)
{
    size_t e = path.size();
    while (e > 0 && isSep(path[e - 1]))
        --e;
    while (e > 0 && !isSep(path[e - 1]))
        --e;
    while (e > 1 && isSep(path[e - 1]))
        --e;
    if (e == 1 && isSep(path[0]))
        return path.substr(0, 1);
    return path.substr(0, e);
}

// A missing file in a missing folder is "Path not found", as the system's
// open reports it; in a folder that exists, "File not found".
[[noreturn]] void raiseMissing(const std::string& path)
{
    std::error_code ec;
    fs::path parent = fs::path(path).parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec))
        raise(Err::PathNotFound);
    raise(Err::FileNotFound);
}

[[noreturn]] void raiseFromErrno(int err)
{
    switch (err) {
    case ENOENT: raise(Err::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS: raise(Err::PermissionDenied);
    case EISDIR: raise(Err::PermissionDenied);
    case ENOSPC: raise(Err::DiskFull);
    default: raise(Err::IoError);
    }
}

} // namespace

int FileSystemObject::memberId(std::string_view name) const { return fsoMembers().find(name); }
const void* FileSystemObject::memberKey() const { return &fsoMembers(); }
std::vector<std::string> FileSystemObject::memberNames() const { return fsoMembers().names(); }

Variant FileSystemObject::invoke(int id, InvokeKind, std::span<Variant> args)
{
    std::error_code ec;
    switch (id) {
    case FileExists:
        expectArgs(args, 1, 1);
        return Variant::boolean(fs::is_regular_file(nativePath(args[0].toString()), ec));
    case FolderExists:
        expectArgs(args, 1, 1);
        return Variant::boolean(fs::is_directory(nativePath(args[0].toString()), ec));
    case OpenTextFile: {
        expectArgs(args, 1, 4);
        int mode = hasArg(args, 1) ? args[1].toLong() : 1;
        bool create = hasArg(args, 2) && args[2].toBool();
        TextStream::Mode m;
        if (mode == 1)
            m = TextStream::Mode::Read;
        else if (mode == 2)
            m = TextStream::Mode::Write;
        else if (mode == 8)
            m = TextStream::Mode::Append;
        else
            raise(Err::InvalidCall);
        return Variant::object(new TextStream(nativePath(args[0].toString()), m, create, true));
    }
    case CreateTextFile: {
        expectArgs(args, 1, 3);
        bool overwrite = hasArg(args, 1) ? args[1].toBool() : true;
        return Variant::object(
            new TextStream(nativePath(args[0].toString()), TextStream::Mode::Write, true, overwrite));
    }
    case DeleteFile: {
        expectArgs(args, 1, 2);
        std::string p = nativePath(args[0].toString());
        if (!fs::is_regular_file(p, ec))
            raise(Err::FileNotFound);
        if (!fs::remove(p, ec))
            raise(Err::PermissionDenied);
        return {};
    }
    case DeleteFolder: {
        expectArgs(args, 1, 2);
        std::string p = nativePath(args[0].toString());
        if (!fs::is_directory(p, ec))
            raise(Err::PathNotFound);
        fs::remove_all(p, ec);
        if (ec)
            raise(Err::PermissionDenied);
        return {};
    }
    case BuildPath: {
        expectArgs(args, 2, 2);
        std::string a = args[0].toString(), b = args[1].toString();
        if (a.empty())
            return Variant::string(b);
        if (isSep(a.back()) || (!b.empty() && isSep(b.front())))
            return Variant::string(a + b);
        return Variant::string(a + "/" + b);
    }
    case GetFileName: expectArgs(args, 1, 1); return Variant::string(fileNamePart(args[0].toString()));
    case GetParentFolderName: expectArgs(args, 1, 1); return Variant::string(parentPart(args[0].toString()));
    case GetBaseName: {
        expectArgs(args, 1, 1);
        std::string n = fileNamePart(args[0].toString());
        size_t dot = n.rfind('.');
        return Variant::string(dot == std::string::npos ? n : n.substr(0, dot));
    }
    case GetExtensionName: {
        expectArgs(args, 1, 1);
        std::string n = fileNamePart(args[0].toString());
        size_t dot = n.rfind('.');
        return Variant::string(dot == std::string::npos ? std::string() : n.substr(dot + 1));
    }
    case GetAbsolutePathName: {
        expectArgs(args, 1, 1);
        return Variant::string(fs::absolute(nativePath(args[0].toString()), ec).lexically_normal().string());
    }
    case CreateFolder: {
        expectArgs(args, 1, 1);
        std::string p = nativePath(args[0].toString());
        if (fs::exists(p, ec))
            raise(Err::FileExists);
        if (!fs::create_directory(p, ec)) {
            if (ec == std::errc::no_such_file_or_directory)
                raise(Err::PathNotFound);
            raise(Err::PermissionDenied);
        }
        return {};
    }
    default: raise(Err::NoSuchMember);
    }
}

TextStream::TextStream(const std::string& path, Mode mode, bool create, bool overwrite) : m_mode(mode)
{
    std::error_code ec;
    bool exists = fs::exists(path, ec);
    if (fs::is_directory(path, ec))
        raise(Err::PermissionDenied);
    if (mode == Mode::Read) {
        if (!exists) {
            if (!create)
                raiseMissing(path);
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f)
                raiseFromErrno(errno);
            std::fclose(f);
        }
        openForReading(path);
        return;
    }
    if (mode == Mode::Write && exists && !overwrite)
        raise(Err::FileExists);
    if (!exists && !create && (mode == Mode::Append || mode == Mode::Write))
        raiseMissing(path);
    m_file = std::fopen(path.c_str(), mode == Mode::Append ? "ab" : "wb");
    if (!m_file)
        raiseFromErrno(errno);
}

// Reading is buffered: the stream holds a window of the file and refills it
// as text is taken, so a large file is never held whole. Each block counts
// against the time limit, and a line or text that outgrows a string gives
// error 7, so a file that never ends (a device, a pipe) cannot eat memory.
void TextStream::openForReading(const std::string& path)
{
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        raise(Err::PermissionDenied);
}

bool TextStream::fill()
{
    if (!m_file || m_eof)
        return false;
    if (m_pos > 0) {
        m_data.erase(0, m_pos);
        m_pos = 0;
    }
    constexpr size_t Block = size_t(1) << 16;
    size_t old = m_data.size();
    if (old > MaxStringLength)
        raise(Err::OutOfMemory);
    m_data.resize(old + Block);
    size_t got = std::fread(m_data.data() + old, 1, Block, m_file);
    m_data.resize(old + got);
    if (got == 0) {
        if (std::ferror(m_file))
            raise(Err::IoError);
        m_eof = true;
        return false;
    }
    m_anyRead = true;
    pollInterrupt(got);
    return true;
}

bool TextStream::atEnd() { return m_pos >= m_data.size() && !fill(); }

size_t TextStream::findLineEnd()
{
    size_t scanned = 0;
    for (;;) {
        size_t e = m_data.find('\n', m_pos + scanned);
        if (e != std::string::npos)
            return e;
        scanned = m_data.size() - m_pos;
        if (scanned > MaxStringLength)
            raise(Err::OutOfMemory);
        if (!fill())
            return std::string::npos;
    }
}

TextStream::~TextStream()
{
    if (m_file)
        std::fclose(m_file);
}

int TextStream::memberId(std::string_view name) const { return streamMembers().find(name); }
const void* TextStream::memberKey() const { return &streamMembers(); }

void TextStream::requireReading() const
{
    if (m_closed)
        raise(Err::BadFileName);
    if (m_mode != Mode::Read)
        raise(Err::BadFileMode);
}

void TextStream::requireWriting() const
{
    if (m_closed)
        raise(Err::BadFileName);
    if (m_mode == Mode::Read)
        raise(Err::BadFileMode);
}

void TextStream::write(const std::string& text)
{
    requireWriting();
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), m_file) != text.size())
        raise(Err::IoError);
    for (char c : text) {
        if (c == '\n') {
            ++m_line;
            m_column = 1;
        } else {
            ++m_column;
        }
    }
}

Variant TextStream::invoke(int id, InvokeKind, std::span<Variant> args)
{
    switch (id) {
    case ReadLine: {
        expectArgs(args, 0, 0);
        requireReading();
        if (atEnd())
            raise(Err::InputPastEnd);
        size_t e = findLineEnd();
        size_t stop = e == std::string::npos ? m_data.size() : e;
        std::string_view line(m_data.data() + m_pos, stop - m_pos);
        m_pos = e == std::string::npos ? m_data.size() : e + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++m_line;
        return Variant::string(line);
    }
    case SkipLine: {
        expectArgs(args, 0, 0);
        requireReading();
        if (atEnd())
            raise(Err::InputPastEnd);
        size_t e = findLineEnd();
        m_pos = e == std::string::npos ? m_data.size() : e + 1;
        ++m_line;
        return {};
    }
    case ReadAll: {
        expectArgs(args, 0, 0);
        requireReading();
        if (atEnd() && m_anyRead)
            raise(Err::InputPastEnd);
        while (fill()) {
            if (m_data.size() > MaxStringLength)
                raise(Err::OutOfMemory);
        }
        std::string rest = m_data.substr(m_pos);
        m_pos = m_data.size();
        return Variant::string(std::move(rest));
    }
    case Read:
    case Skip: {
        expectArgs(args, 1, 1);
        requireReading();
        int32_t n = args[0].toLong();
        requireValid(n >= 0);
        if (n > 0 && atEnd())
            raise(Err::InputPastEnd);
        while (m_data.size() - m_pos < static_cast<size_t>(n) && fill()) {}
        std::string part = m_data.substr(m_pos, static_cast<size_t>(n));
        m_pos += part.size();
        return id == Read ? Variant::string(std::move(part)) : Variant();
    }
    case Write:
        expectArgs(args, 1, 1);
        write(args[0].toString());
        return {};
    case WriteLine:
        expectArgs(args, 0, 1);
        write((args.empty() ? std::string() : args[0].toString()) + "\r\n");
        return {};
    case WriteBlankLines: {
        expectArgs(args, 1, 1);
        int32_t n = args[0].toLong();
        requireValid(n >= 0);
        // Written in blocks, each checked for time; a call that would write
        // more than a string can hold is refused up front (error 7).
        if (static_cast<size_t>(n) * 2 > MaxStringLength)
            raise(Err::OutOfMemory);
        std::string block;
        for (int32_t i = 0; i < std::min(n, 4096); ++i)
            block += "\r\n";
        for (int32_t left = n; left > 0; left -= 4096) {
            write(left >= 4096 ? block : block.substr(0, static_cast<size_t>(left) * 2));
            pollInterrupt(block.size());
        }
        return {};
    }
    case AtEndOfStream: requireReading(); return Variant::boolean(atEnd());
    case AtEndOfLine:
        requireReading();
        return Variant::boolean(atEnd() || m_data[m_pos] == '\n' || m_data[m_pos] == '\r');
    case Close:
        expectArgs(args, 0, 0);
        if (m_file) {
            std::fclose(m_file);
            m_file = nullptr;
        }
        m_closed = true;
        return {};
    case Line: return Variant::longInt(m_line);
    case Column: return Variant::longInt(m_column);
    default: raise(Err::NoSuchMember);
    }
}

} // namespace ravelin::vbs
