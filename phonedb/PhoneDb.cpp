#include "PhoneDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <utility>

namespace phonedb {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

void answerOne(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_int(context, 1);
}

void answerNull(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_null(context);
}

void answerFirstArgument(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc > 0)
        sqlite3_result_value(context, argv[0]);
    else
        sqlite3_result_null(context);
}

void answerFlagsBit0(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    const int flags = argc > 0 ? sqlite3_value_int(argv[0]) : 0;
    sqlite3_result_int(context, flags & 1);
}

void answerBit0OfValue(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_int(context, *static_cast<const int*>(sqlite3_user_data(context)) & 1);
}

using TextMaker = std::function<QByteArray()>;

void answerText(sqlite3_context* context, int, sqlite3_value**)
{
    const QByteArray text = (*static_cast<TextMaker*>(sqlite3_user_data(context)))();
    sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void deleteTextMaker(void* maker)
{
    delete static_cast<TextMaker*>(maker);
}

// Never called: the function only carries the data whose life it ends.
void unusedFunction(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_null(context);
}

sqlite3* openWith(const QString& path, int flags, const char* verb, QString* error)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK) {
        setError(error, QStringLiteral("Cannot %1 %2: %3").arg(QLatin1String(verb), path, lastError(db)));
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

} // namespace

sqlite3* open(const QString& path, int flags, QString* error)
{
    return openWith(path, flags, "open", error);
}

sqlite3* create(const QString& path, QString* error)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    QDir().mkpath(QFileInfo(path).absolutePath());
    return openWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, "create", error);
}

QString lastError(sqlite3* db)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
}

bool exec(sqlite3* db, const QByteArray& sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        setError(error, QString::fromUtf8(message ? message : "SQLite error"));
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool loadSchema(sqlite3* db, const QByteArray& statements, QString* error)
{
    if (statements.trimmed().isEmpty()) {
        setError(error, QStringLiteral("The schema is empty"));
        return false;
    }
    return exec(db, statements, error);
}

QByteArray readSchemaFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot read the schema %1: %2").arg(path, file.errorString()));
        return {};
    }
    return file.readAll();
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql, QString* error)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        setError(error, lastError(db));
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return stmt;
}

void bind(sqlite3_stmt* stmt, int index, const QVariant& value)
{
    if (value.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_text(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

void bindBlob(sqlite3_stmt* stmt, int index, const QByteArray& bytes)
{
    // SQLite takes a null pointer for NULL; an empty BLOB needs an address.
    sqlite3_bind_blob(stmt, index, bytes.isEmpty() ? "" : bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

bool step(sqlite3* db, sqlite3_stmt* stmt, QString* error)
{
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE) {
        setError(error, lastError(db));
        return false;
    }
    return true;
}

bool registerStandIn(sqlite3* db, const char* name, int argCount, StandIn answer)
{
    void (*function)(sqlite3_context*, int, sqlite3_value**) = nullptr;
    switch (answer) {
    case StandIn::One:
        function = &answerOne;
        break;
    case StandIn::Null:
        function = &answerNull;
        break;
    case StandIn::FirstArgument:
        function = &answerFirstArgument;
        break;
    case StandIn::FlagsBit0:
        function = &answerFlagsBit0;
        break;
    }
    return sqlite3_create_function(db, name, argCount, SQLITE_UTF8, nullptr, function, nullptr, nullptr) == SQLITE_OK;
}

bool registerBit0Of(sqlite3* db, const char* name, int argCount, const int* value)
{
    return sqlite3_create_function(db, name, argCount, SQLITE_UTF8, const_cast<int*>(value), &answerBit0OfValue,
                                   nullptr, nullptr) == SQLITE_OK;
}

bool registerText(sqlite3* db, const char* name, int argCount, std::function<QByteArray()> make)
{
    // SQLite owns the copy from here on, also when it refuses the function.
    auto* maker = new TextMaker(std::move(make));
    return sqlite3_create_function_v2(db, name, argCount, SQLITE_UTF8, maker, &answerText, nullptr, nullptr,
                                      &deleteTextMaker) == SQLITE_OK;
}

bool registerRead(sqlite3* db, StandIn answer)
{
    return registerStandIn(db, "read", 1, answer);
}

bool registerAttachmentPathStandIns(sqlite3* db, StandIn answer)
{
    bool ok = true;
    for (const char* name : {"delete_attachment_path", "before_delete_attachment_path"})
        ok = registerStandIn(db, name, -1, answer) && ok;
    return ok;
}

bool registerAddressBookStandIns(sqlite3* db, std::function<QByteArray()> newGuid)
{
    const bool guid = registerText(db, "ab_generate_guid", 0, std::move(newGuid));
    return registerStandIn(db, "ab_update_value_from_trigger", -1, StandIn::FirstArgument) && guid;
}

bool keepUntilClose(sqlite3* db, void* data, void (*destroy)(void*))
{
    return sqlite3_create_function_v2(db, "msgdesk_private_copy", 0, SQLITE_UTF8, data, &unusedFunction, nullptr,
                                      nullptr, destroy) == SQLITE_OK;
}

} // namespace phonedb
