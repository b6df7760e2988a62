#include "browse/TextIndex.h"

#include "model/Language.h"

#include <QString>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using Problem = TextIndexError::Problem;

// The tables. A text's row id is its drawing's id shifted left by TextBits plus its place in the
// drawing: a drawing's texts are one range of rows, in their order, read without an index, and
// the trigram index alone tells the drawing of a hit. The trigram index takes its text from the
// texts table ("external content") and compares exactly: the search form is already folded.
constexpr int TextBits = 24;
constexpr std::int64_t MaxTexts = std::int64_t{1} << TextBits;

constexpr const char* Schema = R"(
CREATE TABLE files(
  id INTEGER PRIMARY KEY,
  path TEXT NOT NULL UNIQUE,
  folder TEXT NOT NULL,
  size INTEGER NOT NULL,
  modified INTEGER NOT NULL,
  failed INTEGER NOT NULL,
  reason TEXT NOT NULL
);
CREATE INDEX files_folder ON files(folder);
CREATE TABLE texts(
  id INTEGER PRIMARY KEY,
  search TEXT NOT NULL,
  kind INTEGER NOT NULL,
  text TEXT NOT NULL,
  tag TEXT NOT NULL,
  layout TEXT NOT NULL,
  layer TEXT NOT NULL,
  x REAL NOT NULL,
  y REAL NOT NULL,
  height REAL NOT NULL,
  text_index INTEGER NOT NULL
);
CREATE VIRTUAL TABLE texts_fts USING fts5(search, content='texts', content_rowid='id',
  tokenize='trigram case_sensitive 1');
)";

// A scope is the folder itself, or the folder and every folder whose name starts with it and a
// separator: ?2 = "F/", ?3 = "F0" ('0' follows '/'), a range of the folder index.
constexpr const char* FilesInFolder =
    "SELECT id, path, size, modified, failed, reason FROM files WHERE folder = ?1 ORDER BY path";
constexpr const char* FilesBelowFolder =
    "SELECT id, path, size, modified, failed, reason FROM files "
    "WHERE folder = ?1 OR (folder >= ?2 AND folder < ?3) ORDER BY path";

// Met when the file is not a database or is damaged: the caller moves it aside.
struct DamagedFile {};

// Whether the file can be written, or made when it is missing.
bool Writable(const std::string& file) {
    if (access(file.c_str(), F_OK) == 0) return access(file.c_str(), W_OK) == 0;
    const fs::path folder = fs::path(file).parent_path();
    return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

bool IsDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

Problem ProblemOf(int code, int error) {
    switch (code & 0xff) {
    case SQLITE_FULL:
        return Problem::DiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return Problem::ReadOnly;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        break;
    default:
        return Problem::Other;
    }
    if (error == ENOSPC || error == EDQUOT) return Problem::DiskFull;
    if (error == EACCES || error == EPERM || error == EROFS) return Problem::ReadOnly;
    return Problem::Other;
}

TextIndexError Error(Problem problem, const std::string& file, const std::string& detail) {
    const bool ja = TextLanguage() == Language::Japanese;
    switch (problem) {
    case Problem::DiskFull:
        return {problem, ja ? file + ": ディスクがいっぱいで検索の索引を書き込めません"
                            : file + ": the disk is full; the search index cannot be written"};
    case Problem::ReadOnly:
        return {problem,
                ja ? file + ": 検索の索引を書き込めません（フォルダかファイルが読み取り専用です）"
                   : file + ": the search index cannot be written (its folder or the file is "
                            "read-only)"};
    case Problem::Damaged:
        return {problem,
                ja ? file + ": 検索の索引が壊れていたので " + detail + " に移して作り直しました"
                   : file + ": the search index was damaged; it was moved to " + detail +
                         " and made anew"};
    case Problem::Other:
        break;
    }
    return {problem, ja ? file + ": 検索の索引を使えません: " + detail
                        : file + ": the search index cannot be used: " + detail};
}

std::size_t CodePoints(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    }));
}

// Owns a prepared statement.
class Statement {
  public:
    Statement() = default;
    explicit Statement(sqlite3_stmt* statement) : statement_(statement) {}
    Statement(Statement&& other) noexcept : statement_(std::exchange(other.statement_, nullptr)) {}
    Statement& operator=(Statement&& other) noexcept {
        std::swap(statement_, other.statement_);
        return *this;
    }
    ~Statement() { sqlite3_finalize(statement_); }
    sqlite3_stmt* get() const { return statement_; }

  private:
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace

class TextIndex::Store {
  public:
    explicit Store(const std::string& file);
    // Opens the index at `file`, moving a damaged file aside once (`movedAside` then names where).
    static std::unique_ptr<Store> Open(const std::string& file, std::string& movedAside);
    ~Store() {
        statements_.clear();
        sqlite3_close(db_);
    }
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    std::vector<IndexedFile> files(const SearchScope& scope);
    void update(const std::vector<IndexedDrawing>& drawings,
                const std::vector<std::vector<std::string>>& searchForms,
                const std::vector<std::string>& gone);
    SearchResult search(const SearchScope& scope, const std::vector<std::string>& words,
                        std::size_t limit);

  private:
    // The statements, prepared once.
    enum Id {
        BeginRead,
        BeginWrite,
        Commit,
        FileId,
        InsertFile,
        UpdateFile,
        DeleteFile,
        UnindexTexts,
        DeleteTexts,
        InsertText,
        IndexText,
        InFolder,
        BelowFolder,
        Match,
        Scan,
        Hit,
        Count
    };

    // A statement in use: its parameters bound by `bind`, its rows read by `step`; reset when
    // the use ends.
    class Use {
      public:
        Use(Store& store, Id id) : store_(store), s_(store.statements_[id].get()) {}
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        ~Use() {
            sqlite3_reset(s_);
            sqlite3_clear_bindings(s_);
        }
        Use& bind(int i, std::int64_t value) { return check(sqlite3_bind_int64(s_, i, value)); }
        Use& bind(int i, double value) { return check(sqlite3_bind_double(s_, i, value)); }
        Use& bind(int i, const std::string& value) {
            return check(sqlite3_bind_text(s_, i, value.data(), static_cast<int>(value.size()),
                                           SQLITE_STATIC));
        }
        // True for a row, false when done.
        bool step() {
            const int code = sqlite3_step(s_);
            if (code == SQLITE_ROW) return true;
            if (code != SQLITE_DONE) store_.check(code);
            return false;
        }
        void run() {
            while (step()) {
            }
        }
        std::int64_t integer(int column) const { return sqlite3_column_int64(s_, column); }
        double real(int column) const { return sqlite3_column_double(s_, column); }
        std::string text(int column) const {
            const auto* bytes = sqlite3_column_text(s_, column);
            return bytes ? std::string(reinterpret_cast<const char*>(bytes),
                                       static_cast<std::size_t>(sqlite3_column_bytes(s_, column)))
                         : std::string();
        }

      private:
        Use& check(int code) {
            store_.check(code);
            return *this;
        }
        Store& store_;
        sqlite3_stmt* s_;
    };

    // Rolls back the transaction it began unless it was committed. A write transaction takes the
    // write lock at once, so that two writers wait for each other through the busy timeout
    // instead of failing on upgrading a read; a read transaction sees one state of the index and
    // takes the file's locks once for all its statements.
    enum class Access { Read, Write };
    class Transaction {
      public:
        Transaction(Store& store, Access access) : store_(store) {
            Use(store_, access == Access::Write ? BeginWrite : BeginRead).run();
        }
        ~Transaction() {
            if (!committed_) sqlite3_exec(store_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        void commit() {
            Use(store_, Commit).run();
            committed_ = true;
        }

      private:
        Store& store_;
        bool committed_ = false;
    };

    // Throws DamagedFile or TextIndexError unless `code` is a success.
    void check(int code) {
        if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return;
        if (IsDamage(code)) throw DamagedFile{};
        Problem problem = ProblemOf(code, db_ ? sqlite3_system_errno(db_) : 0);
        // SQLite does not always keep the error of a file it could not open or make.
        if (problem == Problem::Other && (code & 0xff) == SQLITE_CANTOPEN && !Writable(file_))
            problem = Problem::ReadOnly;
        if ((code & 0xff) == SQLITE_BUSY)
            throw Error(problem, file_,
                        TextLanguage() == Language::Japanese
                            ? "別のプログラムが 10 秒を超えて索引を使っています"
                            : "another program has kept the index busy for more than 10 s");
        throw Error(problem, file_, db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code));
    }
    void exec(const std::string& sql) {
        check(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr));
    }
    // The first column of the first row of `sql`, as text.
    std::string value(const char* sql);
    std::vector<std::string> column(const char* sql);
    void makeTables();
    void prepare(Id id, const char* sql);
    void removeTexts(std::int64_t file);
    // The statement listing the files of `scope` (InFolder or BelowFolder), and its parameters.
    static Id ScopeBounds(const SearchScope& scope, std::string (&bounds)[3]);

    std::string file_;
    sqlite3* db_ = nullptr;
    std::vector<Statement> statements_;
};

TextIndex::Store::Store(const std::string& file) : file_(file) {
    const fs::path path(file);
    std::error_code error;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), error);
    if (error) throw Error(ProblemOf(SQLITE_CANTOPEN, error.value()), file, error.message());
    const int code =
        sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        // The destructor does not run for a constructor that throws.
        try {
            check(code);
        } catch (...) {
            sqlite3_close(db_);
            throw;
        }
    }
    try {
        sqlite3_extended_result_codes(db_, 1);
        // Another process writing (a window while the command line indexes) is waited for.
        sqlite3_busy_timeout(db_, 10000);
        if (sqlite3_db_readonly(db_, "main") == 1)
            throw Error(Problem::ReadOnly, file_, "read-only");
        // Changing the journal mode of a new file needs it to itself, and SQLite does not wait
        // for that through the busy timeout: another process making the index at the same
        // moment is waited for here.
        for (int wait = 0;; ++wait) {
            const int code =
                sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
            if ((code & 0xff) != SQLITE_BUSY || wait == 500) {
                check(code);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        exec("PRAGMA synchronous=NORMAL");
        exec("PRAGMA cache_size=-32000");
        // No memory mapping, though scans would run faster with it: a file cut short by another
        // program would then end this process with a bus error instead of an error code. And no
        // integrity check of the whole file at every opening, which costs a third of a second per
        // million texts: reading the schema finds a file that is no database, and damage deeper
        // down is found when it is read (the index is then made anew as well).
        value("SELECT count(*) FROM sqlite_master");
        makeTables();
        statements_.resize(Count);
        prepare(BeginRead, "BEGIN");
        prepare(BeginWrite, "BEGIN IMMEDIATE");
        prepare(Commit, "COMMIT");
        prepare(FileId, "SELECT id FROM files WHERE path = ?1");
        prepare(InsertFile, "INSERT INTO files(path, folder, size, modified, failed, reason) "
                            "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
        prepare(UpdateFile, "UPDATE files SET folder = ?2, size = ?3, modified = ?4, failed = ?5, "
                            "reason = ?6 WHERE id = ?1");
        prepare(DeleteFile, "DELETE FROM files WHERE id = ?1");
        prepare(UnindexTexts, "INSERT INTO texts_fts(texts_fts, rowid, search) "
                              "SELECT 'delete', id, search FROM texts WHERE id BETWEEN ?1 AND ?2");
        prepare(DeleteTexts, "DELETE FROM texts WHERE id BETWEEN ?1 AND ?2");
        prepare(InsertText,
                "INSERT INTO texts(id, search, kind, text, tag, layout, layer, x, y, "
                "height, text_index) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        prepare(IndexText, "INSERT INTO texts_fts(rowid, search) VALUES(?1, ?2)");
        prepare(InFolder, FilesInFolder);
        prepare(BelowFolder, FilesBelowFolder);
        prepare(Match, "SELECT rowid FROM texts_fts WHERE texts_fts MATCH ?1");
        prepare(Scan, "SELECT id FROM texts WHERE id BETWEEN ?1 AND ?2 AND instr(search, ?3) > 0");
        prepare(Hit, "SELECT kind, text, tag, layout, layer, x, y, height, text_index FROM texts "
                     "WHERE id = ?1");
    } catch (...) {
        statements_.clear();
        sqlite3_close(db_);
        throw;
    }
}

std::string TextIndex::Store::value(const char* sql) {
    const std::vector<std::string> values = column(sql);
    return values.empty() ? std::string() : values.front();
}

std::vector<std::string> TextIndex::Store::column(const char* sql) {
    sqlite3_stmt* raw = nullptr;
    check(sqlite3_prepare_v2(db_, sql, -1, &raw, nullptr));
    const Statement statement(raw);
    std::vector<std::string> values;
    int code;
    while ((code = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto* bytes = sqlite3_column_text(raw, 0);
        values.emplace_back(bytes ? reinterpret_cast<const char*>(bytes) : "");
    }
    check(code);
    return values;
}

// Makes the tables unless the file holds those of this version. The tables of another version
// are dropped: the index is a cache, rebuilt from the drawings. Two processes opening a new file
// at once take turns through the write lock.
void TextIndex::Store::makeTables() {
    exec("BEGIN IMMEDIATE");
    try {
        if (value("PRAGMA user_version") != std::to_string(SchemaVersion)) {
            const auto quoted = [](const std::string& name) {
                std::string q = "\"";
                for (char c : name)
                    q += c == '"' ? std::string("\"\"") : std::string(1, c);
                return q + "\"";
            };
            // Tables this program cannot drop (of a module it lacks) make a file to move aside.
            const auto drop = [&](const std::string& sql) {
                const int code = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
                if (code == SQLITE_ERROR) throw DamagedFile{};
                check(code);
            };
            // Virtual tables first: they drop their own shadow tables.
            for (const std::string& name : column("SELECT name FROM sqlite_schema WHERE "
                                                  "type = 'table' AND sql LIKE 'CREATE VIRTUAL%'"))
                drop("DROP TABLE IF EXISTS " + quoted(name));
            for (const std::string& name : column("SELECT name FROM sqlite_schema WHERE "
                                                  "type = 'view'"))
                drop("DROP VIEW IF EXISTS " + quoted(name));
            for (const std::string& name : column("SELECT name FROM sqlite_schema WHERE "
                                                  "type = 'table' AND name NOT LIKE 'sqlite_%'"))
                drop("DROP TABLE IF EXISTS " + quoted(name));
            exec(Schema);
            exec("PRAGMA user_version = " + std::to_string(SchemaVersion));
        }
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void TextIndex::Store::prepare(Id id, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    const int code = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    // Tables that are not those its version promises: a file to move aside.
    if (code == SQLITE_ERROR) throw DamagedFile{};
    check(code);
    statements_[id] = Statement(raw);
}

void TextIndex::Store::removeTexts(std::int64_t file) {
    const std::int64_t first = file << TextBits, last = first + MaxTexts - 1;
    Use(*this, UnindexTexts).bind(1, first).bind(2, last).run();
    Use(*this, DeleteTexts).bind(1, first).bind(2, last).run();
}

TextIndex::Store::Id TextIndex::Store::ScopeBounds(const SearchScope& scope,
                                                   std::string (&bounds)[3]) {
    std::string& folder = bounds[0];
    folder = scope.folder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (!scope.subfolders || folder.empty()) return InFolder;
    bounds[1] = folder.back() == '/' ? folder : folder + '/';
    bounds[2] = bounds[1];
    bounds[2].back() = '0';
    return BelowFolder;
}

std::vector<IndexedFile> TextIndex::Store::files(const SearchScope& scope) {
    std::string bounds[3];
    const Id id = ScopeBounds(scope, bounds);
    std::vector<IndexedFile> files;
    {
        Use use(*this, id);
        for (int i = 0; i < (id == InFolder ? 1 : 3); ++i)
            use.bind(i + 1, bounds[i]);
        while (use.step()) {
            IndexedFile& file = files.emplace_back();
            file.path = use.text(1);
            file.size = static_cast<std::uintmax_t>(use.integer(2));
            file.modified = use.integer(3);
            file.failed = use.integer(4) != 0;
            file.reason = use.text(5);
        }
    }
    return files;
}

void TextIndex::Store::update(const std::vector<IndexedDrawing>& drawings,
                              const std::vector<std::vector<std::string>>& searchForms,
                              const std::vector<std::string>& gone) {
    Transaction transaction(*this, Access::Write);
    for (std::size_t d = 0; d < drawings.size(); ++d) {
        const IndexedFile& file = drawings[d].file;
        std::int64_t id = -1;
        {
            Use use(*this, FileId);
            if (use.bind(1, file.path).step()) id = use.integer(0);
        }
        const std::string folder = fs::path(file.path).parent_path().string();
        const auto bindFile = [&](Use& use) -> Use& {
            return use.bind(2, folder)
                .bind(3, static_cast<std::int64_t>(file.size))
                .bind(4, file.modified)
                .bind(5, std::int64_t{file.failed})
                .bind(6, file.reason);
        };
        if (id >= 0) {
            removeTexts(id);
            Use use(*this, UpdateFile);
            bindFile(use).bind(1, id).run();
        } else {
            Use use(*this, InsertFile);
            bindFile(use).bind(1, file.path).run();
            id = sqlite3_last_insert_rowid(db_);
        }
        const std::vector<IndexedText>& texts = drawings[d].texts;
        const std::size_t count = std::min<std::size_t>(texts.size(), MaxTexts);
        for (std::size_t i = 0; i < count; ++i) {
            const IndexedText& text = texts[i];
            const std::int64_t row = (id << TextBits) + static_cast<std::int64_t>(i);
            const std::string& search = searchForms[d][i];
            Use(*this, InsertText)
                .bind(1, row)
                .bind(2, search)
                .bind(3, std::int64_t{static_cast<std::uint8_t>(text.kind)})
                .bind(4, text.text)
                .bind(5, text.tag)
                .bind(6, text.layout)
                .bind(7, text.layer)
                .bind(8, text.x)
                .bind(9, text.y)
                .bind(10, text.height)
                .bind(11, text.textIndex)
                .run();
            Use(*this, IndexText).bind(1, row).bind(2, search).run();
        }
    }
    for (const std::string& path : gone) {
        std::int64_t id = -1;
        {
            Use use(*this, FileId);
            if (use.bind(1, path).step()) id = use.integer(0);
        }
        if (id < 0) continue;
        removeTexts(id);
        Use(*this, DeleteFile).bind(1, id).run();
    }
    transaction.commit();
}

SearchResult TextIndex::Store::search(const SearchScope& scope,
                                      const std::vector<std::string>& words, std::size_t limit) {
    SearchResult result;
    Transaction transaction(*this, Access::Read);
    // The drawings of the scope, then those still matching after each word.
    std::unordered_map<std::int64_t, std::string> paths;
    {
        std::string bounds[3];
        const Id id = ScopeBounds(scope, bounds);
        Use use(*this, id);
        for (int i = 0; i < (id == InFolder ? 1 : 3); ++i)
            use.bind(i + 1, bounds[i]);
        while (use.step())
            if (use.integer(4) == 0) paths.emplace(use.integer(0), use.text(1));
    }
    std::unordered_set<std::int64_t> candidates;
    for (const auto& [id, path] : paths)
        candidates.insert(id);
    // The texts of each candidate that hold any word so far.
    std::unordered_map<std::int64_t, std::vector<std::int64_t>> matched;
    for (const std::string& word : words) {
        std::unordered_map<std::int64_t, std::vector<std::int64_t>> found;
        if (CodePoints(word) >= 3) {
            std::string phrase = "\"";
            for (char c : word)
                phrase += c == '"' ? std::string("\"\"") : std::string(1, c);
            phrase += '"';
            Use use(*this, Match);
            use.bind(1, phrase);
            while (use.step()) {
                const std::int64_t row = use.integer(0), file = row >> TextBits;
                if (candidates.count(file)) found[file].push_back(row);
            }
        } else {
            // The trigram index cannot find fewer than three characters: each candidate's texts
            // are read instead, a range of rows.
            for (const std::int64_t file : candidates) {
                const std::int64_t first = file << TextBits;
                Use use(*this, Scan);
                use.bind(1, first).bind(2, first + MaxTexts - 1).bind(3, word);
                while (use.step())
                    found[file].push_back(use.integer(0));
            }
        }
        candidates.clear();
        for (auto& [file, rows] : found) {
            candidates.insert(file);
            std::vector<std::int64_t>& all = matched[file];
            all.insert(all.end(), rows.begin(), rows.end());
        }
        if (candidates.empty()) return result;
    }

    std::vector<std::pair<const std::string*, std::int64_t>> order;
    for (const std::int64_t file : candidates)
        order.emplace_back(&paths.at(file), file);
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return *a.first < *b.first; });
    for (const auto& [path, file] : order) {
        std::vector<std::int64_t>& rows = matched[file];
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        result.drawings.push_back({*path, rows.size()});
        for (const std::int64_t row : rows) {
            if (result.hits.size() >= limit) {
                result.truncated = true;
                break;
            }
            Use use(*this, Hit);
            if (!use.bind(1, row).step()) continue;
            SearchHit& hit = result.hits.emplace_back();
            hit.path = *path;
            IndexedText& text = hit.text;
            text.kind = static_cast<IndexedTextKind>(use.integer(0));
            text.text = use.text(1);
            text.tag = use.text(2);
            text.layout = use.text(3);
            text.layer = use.text(4);
            text.x = use.real(5);
            text.y = use.real(6);
            text.height = use.real(7);
            text.textIndex = use.integer(8);
        }
    }
    return result;
}

namespace {

// Whether `file` is missing, empty or starts as an SQLite database does.
bool StartsLikeDatabase(const std::string& file) {
    static constexpr char Header[] = "SQLite format 3"; // and its terminating zero
    std::ifstream in(file, std::ios::binary);
    char start[sizeof Header] = {};
    in.read(start, sizeof start);
    return in.gcount() == 0 || std::memcmp(start, Header, sizeof Header) == 0;
}

// Renames the damaged index and its write-ahead log and shared memory "<file>.damaged-<time>",
// keeping SQLite's suffixes so that the renamed files still open together; returns the new name.
std::string MoveAside(const std::string& file) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string aside = file + ".damaged-" + stamp;
    std::error_code error;
    for (int n = 2; fs::exists(aside, error); ++n)
        aside = file + ".damaged-" + stamp + "-" + std::to_string(n);
    fs::rename(file, aside, error);
    if (error) throw Error(ProblemOf(SQLITE_IOERR, error.value()), file, error.message());
    for (const char* suffix : {"-wal", "-shm"}) {
        std::error_code missing;
        if (fs::exists(file + suffix, missing)) fs::rename(file + suffix, aside + suffix, error);
        if (error) throw Error(ProblemOf(SQLITE_IOERR, error.value()), file, error.message());
    }
    return aside;
}

} // namespace

std::string NormaliseForSearch(const std::string& text) {
    // ASCII is its own NFKC form, and its case folding is lower case.
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
        std::string lower = text;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return lower;
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .normalized(QString::NormalizationForm_KC)
        .toCaseFolded()
        .toStdString();
}

std::vector<std::string> QueryWords(const std::string& query) {
    std::vector<std::string> words;
    std::string word;
    const auto finish = [&] {
        if (!word.empty()) {
            std::string normal = NormaliseForSearch(word);
            if (!normal.empty()) words.push_back(std::move(normal));
        }
        word.clear();
    };
    for (std::size_t i = 0; i < query.size(); ++i) {
        const char c = query[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') {
            finish();
        } else if (query.compare(i, 3, "\xE3\x80\x80") == 0) { // U+3000 IDEOGRAPHIC SPACE
            finish();
            i += 2;
        } else {
            word += c;
        }
    }
    finish();
    return words;
}

std::string TextIndex::DefaultFile() {
    fs::path cache;
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    // The XDG rules ignore a relative folder.
    if (xdg && xdg[0] == '/') {
        cache = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* user = getpwuid(getuid());
            home = user && user->pw_dir ? user->pw_dir : "/tmp";
        }
        cache = fs::path(home) / ".cache";
    }
    return (cache / "orvanta" / "texts.sqlite").string();
}

std::unique_ptr<TextIndex::Store> TextIndex::Store::Open(const std::string& file,
                                                         std::string& movedAside) {
    // A file that is not a database is moved aside before SQLite opens it: SQLite would delete
    // a "-wal" beside it as stale, and the damaged index is to be kept whole.
    if (StartsLikeDatabase(file)) {
        try {
            return std::make_unique<Store>(file);
        } catch (const DamagedFile&) {
        }
    }
    movedAside = MoveAside(file);
    try {
        return std::make_unique<Store>(file);
    } catch (const DamagedFile&) {
        throw Error(Problem::Other, file, "damaged again after it was made anew");
    }
}

TextIndex::TextIndex(const std::string& file) : file_(file) {
    store_ = Store::Open(file_, movedAside_);
}

TextIndex::~TextIndex() = default;

// A call that finds the index damaged (the integrity check at opening does not read the trigram
// index through) moves it aside and makes a new one, so that the next call works again.
void TextIndex::renew() {
    store_.reset();
    movedAside_ = MoveAside(file_);
    std::string again;
    store_ = Store::Open(file_, again);
}

std::vector<IndexedFile> TextIndex::files(const SearchScope& scope) {
    std::lock_guard lock(mutex_);
    if (!store_) throw Error(Problem::Other, file_, "not open");
    try {
        return store_->files(scope);
    } catch (const DamagedFile&) {
    }
    renew();
    throw Error(Problem::Damaged, file_, movedAside_);
}

void TextIndex::update(const std::vector<IndexedDrawing>& drawings,
                       const std::vector<std::string>& gone) {
    // The search forms are made before the write lock is taken, so that other writers wait less.
    std::vector<std::vector<std::string>> searchForms(drawings.size());
    for (std::size_t d = 0; d < drawings.size(); ++d) {
        searchForms[d].reserve(drawings[d].texts.size());
        for (const IndexedText& text : drawings[d].texts)
            searchForms[d].push_back(NormaliseForSearch(text.text));
    }
    std::lock_guard lock(mutex_);
    if (!store_) throw Error(Problem::Other, file_, "not open");
    try {
        store_->update(drawings, searchForms, gone);
        return;
    } catch (const DamagedFile&) {
    }
    // The new index is empty: these drawings are stored in it, the others come back as their
    // folders are brought up to date.
    renew();
    try {
        store_->update(drawings, searchForms, gone);
    } catch (const DamagedFile&) {
        throw Error(Problem::Other, file_, "damaged again after it was made anew");
    }
}

SearchResult TextIndex::search(const SearchScope& scope, const std::string& query,
                               std::size_t limit) {
    // Each word once; the longest first, as the rarest, so that the scans of short words read
    // only the drawings the long ones left.
    std::vector<std::string> words = QueryWords(query);
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    std::stable_sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        return CodePoints(a) > CodePoints(b);
    });
    if (words.empty()) return {};
    std::lock_guard lock(mutex_);
    if (!store_) throw Error(Problem::Other, file_, "not open");
    try {
        return store_->search(scope, words, limit);
    } catch (const DamagedFile&) {
    }
    renew();
    throw Error(Problem::Damaged, file_, movedAside_);
}

} // namespace orvanta
