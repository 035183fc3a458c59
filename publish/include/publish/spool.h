#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace publish {

// A record as the spool keeps it until the broker has it.
struct SpooledRecord {
  std::uint64_t seq = 0;
  std::uint8_t address = 0;
  std::string json;
  std::uint64_t dropped = 0;  // records dropped from a full queue that it is to tell of
};

// One change of the spool, made whole or not at all.
struct SpoolChange {
  std::vector<std::uint64_t> removed;  // by seq: acknowledged, or dropped from a full queue
  std::vector<SpooledRecord> added;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> dropped_counts;  // seq, its new count
};

// The records not yet acknowledged, in the SQLite database DIRECTORY/records.db (WAL), so that
// they outlive the process, a SIGKILL and a power cut. While open the database is held
// exclusively: a second reader on the same directory is refused. Not locked: its owner locks.
class Spool {
 public:
  enum class Failure {
    kNone,
    kHeld,      // another process has the spool open
    kUnusable,  // cannot be made, read or written: the records wait in memory only
  };
  struct Opening {
    std::unique_ptr<Spool> spool;        // null on a failure
    std::vector<SpooledRecord> records;  // those of an earlier run, oldest first
    std::uint64_t next_seq = 1;          // the number after the last the spool ever held
    Failure failure = Failure::kNone;
    std::string error;  // one line, naming the file
  };

  // Makes the directory when it is missing.
  static Opening Open(const std::string& directory);

  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;
  ~Spool();

  // Makes `change`. Records added are on the disk, synced, when this returns, so that a record
  // printed afterwards survives a power cut; a removal alone is not synced (lost, it costs a
  // resend that QoS 1 allows anyway). Returns the error, one line naming the file, or "".
  std::string Apply(const SpoolChange& change);

 private:
  Spool(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  std::string Error(const std::string& doing) const;
  bool Exec(const char* sql);
  bool Step(sqlite3_stmt* statement);
  bool Whole();  // PRAGMA quick_check finds no fault
  bool Load(Opening& opening);
  bool Prepare();
  bool Synchronous(bool full);

  sqlite3* db_;
  std::string path_;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* remove_ = nullptr;
  sqlite3_stmt* count_dropped_ = nullptr;
  bool synced_ = true;  // synchronous=FULL is set
};

}  // namespace publish
