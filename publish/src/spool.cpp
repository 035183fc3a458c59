#include "publish/spool.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace publish {
namespace {

// seq is the key, and AUTOINCREMENT keeps the highest ever given in sqlite_sequence, so that
// numbering goes on after the records have all been acknowledged and removed.
constexpr const char* kCreate =
    "CREATE TABLE IF NOT EXISTS records(seq INTEGER PRIMARY KEY AUTOINCREMENT, "
    "address INTEGER NOT NULL, json TEXT NOT NULL, dropped INTEGER NOT NULL DEFAULT 0)";

Spool::Opening Failed(Spool::Failure failure, std::string error) {
  Spool::Opening opening;
  opening.failure = failure;
  opening.error = std::move(error);
  return opening;
}

}  // namespace

Spool::Opening Spool::Open(const std::string& directory) {
  const std::string path = (std::filesystem::path(directory) / "records.db").string();
  std::error_code made;
  std::filesystem::create_directories(directory, made);
  if (made) {
    return Failed(Failure::kUnusable,
                  "spool " + directory + ": cannot make the directory: " + made.message());
  }
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  std::unique_ptr<Spool> spool(new Spool(db, path));  // closes `db` whatever came
  if (rc != SQLITE_OK) return Failed(Failure::kUnusable, spool->Error("cannot open"));
  // Exclusive before WAL: the lock is held from the first read to the close (a second reader
  // is refused at once, there being no busy wait), and WAL needs no shared-memory file then.
  // The empty write transaction takes that lock now rather than at the first record.
  const bool ready = spool->Exec("PRAGMA locking_mode=EXCLUSIVE") &&
                     spool->Exec("PRAGMA journal_mode=WAL") &&
                     spool->Exec("PRAGMA synchronous=FULL") && spool->Exec("BEGIN IMMEDIATE") &&
                     spool->Exec(kCreate) && spool->Exec("COMMIT");
  if (!ready) {
    if (sqlite3_errcode(db) == SQLITE_BUSY) {
      return Failed(Failure::kHeld, "spool " + directory +
                                        " is in use by another process; give each reader a "
                                        "--spool directory of its own");
    }
    return Failed(Failure::kUnusable, spool->Error("cannot be used"));
  }

  Opening opening;
  if (!spool->Whole()) {
    return Failed(Failure::kUnusable, "spool " + path + ": the database is damaged");
  }
  if (!spool->Load(opening) || !spool->Prepare()) {
    return Failed(Failure::kUnusable, spool->Error("cannot be read"));
  }
  opening.spool = std::move(spool);
  return opening;
}

bool Spool::Whole() {
  sqlite3_stmt* check = nullptr;
  const bool whole =
      sqlite3_prepare_v2(db_, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
      sqlite3_step(check) == SQLITE_ROW &&
      std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") == 0;
  sqlite3_finalize(check);
  return whole;
}

bool Spool::Load(Opening& opening) {
  sqlite3_stmt* read = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT seq, address, json, dropped FROM records ORDER BY seq", -1,
                         &read, nullptr) != SQLITE_OK) {
    return false;
  }
  int step = SQLITE_DONE;
  while ((step = sqlite3_step(read)) == SQLITE_ROW) {
    const auto* json = reinterpret_cast<const char*>(sqlite3_column_text(read, 2));
    opening.records.push_back({static_cast<std::uint64_t>(sqlite3_column_int64(read, 0)),
                               static_cast<std::uint8_t>(sqlite3_column_int(read, 1)),
                               json != nullptr ? json : "",
                               static_cast<std::uint64_t>(sqlite3_column_int64(read, 3))});
  }
  sqlite3_finalize(read);
  if (step != SQLITE_DONE) return false;
  sqlite3_stmt* last = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT seq FROM sqlite_sequence WHERE name = 'records'", -1, &last,
                         nullptr) != SQLITE_OK) {
    return false;
  }
  step = sqlite3_step(last);
  if (step == SQLITE_ROW) {
    opening.next_seq = static_cast<std::uint64_t>(sqlite3_column_int64(last, 0)) + 1;
  }
  sqlite3_finalize(last);
  return step == SQLITE_ROW || step == SQLITE_DONE;
}

Spool::~Spool() {
  sqlite3_finalize(insert_);
  sqlite3_finalize(remove_);
  sqlite3_finalize(count_dropped_);
  sqlite3_close(db_);
}

bool Spool::Prepare() {
  return sqlite3_prepare_v2(db_,
                            "INSERT INTO records(seq, address, json, dropped) "
                            "VALUES(?, ?, ?, ?)",
                            -1, &insert_, nullptr) == SQLITE_OK &&
         sqlite3_prepare_v2(db_, "DELETE FROM records WHERE seq = ?", -1, &remove_, nullptr) ==
             SQLITE_OK &&
         sqlite3_prepare_v2(db_, "UPDATE records SET dropped = ? WHERE seq = ?", -1,
                            &count_dropped_, nullptr) == SQLITE_OK;
}

std::string Spool::Apply(const SpoolChange& change) {
  bool done = Synchronous(!change.added.empty()) && Exec("BEGIN");
  for (const std::uint64_t seq : change.removed) {
    done = done && sqlite3_bind_int64(remove_, 1, static_cast<sqlite3_int64>(seq)) == SQLITE_OK &&
           Step(remove_);
  }
  for (const SpooledRecord& record : change.added) {
    done =
        done &&
        sqlite3_bind_int64(insert_, 1, static_cast<sqlite3_int64>(record.seq)) == SQLITE_OK &&
        sqlite3_bind_int(insert_, 2, record.address) == SQLITE_OK &&
        sqlite3_bind_text(insert_, 3, record.json.data(), static_cast<int>(record.json.size()),
                          SQLITE_STATIC) == SQLITE_OK &&
        sqlite3_bind_int64(insert_, 4, static_cast<sqlite3_int64>(record.dropped)) == SQLITE_OK &&
        Step(insert_);
  }
  for (const auto& [seq, dropped] : change.dropped_counts) {
    done =
        done &&
        sqlite3_bind_int64(count_dropped_, 1, static_cast<sqlite3_int64>(dropped)) == SQLITE_OK &&
        sqlite3_bind_int64(count_dropped_, 2, static_cast<sqlite3_int64>(seq)) == SQLITE_OK &&
        Step(count_dropped_);
  }
  if (done && Exec("COMMIT")) return {};
  std::string error = Error("cannot be written");
  if (!sqlite3_get_autocommit(db_)) Exec("ROLLBACK");
  return error;
}

std::string Spool::Error(const std::string& doing) const {
  std::string error = "spool " + path_ + ": " + doing + ": " + sqlite3_errmsg(db_);
  if (const int system = sqlite3_system_errno(db_); system != 0) {
    error += std::string(" (") + std::strerror(system) + ")";
  }
  return error;
}

bool Spool::Exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool Spool::Step(sqlite3_stmt* statement) {
  const bool done = sqlite3_step(statement) == SQLITE_DONE;
  sqlite3_reset(statement);
  return done;
}

bool Spool::Synchronous(bool full) {
  if (synced_ == full) return true;
  if (!Exec(full ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL")) return false;
  synced_ = full;
  return true;
}

}  // namespace publish
