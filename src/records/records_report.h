#pragma once

#include "records/record_proofs.h"
#include "records/records_table.h"

#include <cstdint>
#include <functional>
#include <string>

// The names of the trash generators, as the settings dialog shows them.
const char* GeneratorName(std::int32_t Generator);

// A record's date as the player reads it: the local day and time to the minute.
std::string RecordDate(std::int64_t Date);

// What a record's row says beyond its time and lives: the newest of the
// player's records, a recording of rules this game cannot replay, or one
// that is missing, and else how far it is proved by its recording.
std::string RecordMarks(const TRecord& Record, bool Newest, bool RecordingThere, TProofState Proof);

// The whole table as "clankora --records" prints it: every generator, every
// start level with records, each record on a line, the best first.
// RecordingThere tells whether a record's recording is in the folder, ProofOf
// how far its recording proves it.
std::string RecordsReport(const TRecordsTable& Table, const std::string& Folder,
                          const std::function<bool(const TRecord&)>& RecordingThere,
                          const std::function<TProofState(const TRecord&)>& ProofOf);
