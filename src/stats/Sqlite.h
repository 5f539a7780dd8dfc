// A small wrapper over SQLite's C interface: a connection and prepared
// statements with RAII, errors as exceptions carrying SQLite's message. The
// statistics store is its only user; nothing here knows the schema.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace ravelin::sql {

class Error : public std::runtime_error {
public:
    Error(const std::string& message, int code) : std::runtime_error(message), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1, as in SQLite.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    // The text must stay alive until the statement has run.
    Statement& bindStatic(int index, std::string_view text);
    Statement& bindNull(int index);
    // True while a row is ready; false once the statement is done.
    bool step();
    // Runs a statement that returns no rows, then resets it for reuse
    // (bindings stay until replaced).
    void run();
    void reset();

    std::int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;
    bool isNull(int column) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

class Database {
public:
    enum class Mode { ReadWrite, ReadOnly };
    // Opens (creating when writable) the file; ":memory:" for a database in
    // memory. Throws Error when it cannot be opened.
    explicit Database(const std::string& path, Mode mode = Mode::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(std::string_view sql);
    Statement prepare(std::string_view sql) { return Statement(m_db, sql); }
    std::int64_t lastInsertId() const;
    // True when SQLite opened the file without write access.
    bool readOnly() const;
    // A single integer answer (PRAGMA user_version, counts).
    std::int64_t scalar(std::string_view sql);

private:
    sqlite3* m_db = nullptr;
};

// BEGIN on construction, ROLLBACK unless commit() ran.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    void commit();

private:
    Database& m_db;
    bool m_done = false;
};

} // namespace ravelin::sql
