#pragma once

#include <string>
#include <string_view>

#include "record/record_types.h"

// A record file holds one RecordFileType element and nothing else.
inline constexpr std::string_view RecordFileExtension = ".vtr";
inline constexpr std::string_view RecordFileFilter = "KTR3310 Record File(.vtr)|*.vtr";
inline constexpr std::string_view RecordFileDefaultName = "RecordFile";

// Both throw FileError; a failed read leaves `element` unchanged and a failed write
// leaves the old file in place.
void readRecordFile(const std::string& path, RecordFileType& element);
void writeRecordFile(const std::string& path, const RecordFileType& element);
