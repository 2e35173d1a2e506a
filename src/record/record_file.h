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

// Samples per second of a recording whose Sampling_Rate holds the sample interval, rounded
// to the nearest integer (halves to even); 0 for an interval that is not a positive number.
std::int64_t samplesPerSecond(float Sampling_Rate);
