#include "stats/Sqlite.h"

#include <sqlite3.h>

#include <utility>

namespace ravelin::sql {

namespace {

[[noreturn]] void fail(sqlite3* db, int code) { throw Error(db ? sqlite3_errmsg(db) : sqlite3_errstr(code), code); }

} // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : m_db(db)
{
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(db, rc);
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

Statement::Statement(Statement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_stmt(std::exchange(other.m_stmt, nullptr))
{}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = std::exchange(other.m_db, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value)
{
    if (const int rc = sqlite3_bind_int64(m_stmt, index, value); rc != SQLITE_OK)
        fail(m_db, rc);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text)
{
    const int rc = sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    if (rc != SQLITE_OK)
        fail(m_db, rc);
    return *this;
}

Statement& Statement::bindStatic(int index, std::string_view text)
{
    const int rc = sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
    if (rc != SQLITE_OK)
        fail(m_db, rc);
    return *this;
}

Statement& Statement::bindNull(int index)
{
    if (const int rc = sqlite3_bind_null(m_stmt, index); rc != SQLITE_OK)
        fail(m_db, rc);
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    fail(m_db, rc);
}

void Statement::run()
{
    while (step()) {}
    // Every caller binds every parameter again before the next run.
    sqlite3_reset(m_stmt);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
double Statement::real(int column) const { return sqlite3_column_double(m_stmt, column); }

std::string Statement::text(int column) const
{
    const auto* data = sqlite3_column_text(m_stmt, column);
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string();
}

bool Statement::isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

Database::Database(const std::string& path, Mode mode)
{
    // A connection is used by one thread at a time (a reading of the history
    // opens its own), so SQLite's per-call locking is not needed.
    const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
        | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw Error(message, rc);
    }
    // Another program holding the file briefly (a backup) must not fail a pass.
    sqlite3_busy_timeout(m_db, 200);
}

Database::~Database() { sqlite3_close_v2(m_db); }

void Database::exec(std::string_view sql)
{
    char* message = nullptr;
    const std::string text(sql);
    const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string what = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw Error(what, rc);
    }
}

std::int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

bool Database::readOnly() const { return sqlite3_db_readonly(m_db, "main") == 1; }

std::int64_t Database::scalar(std::string_view sql)
{
    Statement statement = prepare(sql);
    return statement.step() ? statement.integer(0) : 0;
}

Transaction::Transaction(Database& db) : m_db(db) { m_db.exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            m_db.exec("ROLLBACK");
        } catch (const Error&) {
            // Nothing more can be done for a transaction SQLite already ended.
        }
    }
}

void Transaction::commit()
{
    m_db.exec("COMMIT");
    m_done = true;
}

} // namespace ravelin::sql
