#pragma once

#include <string>
#include <string_view>

#include "link/sampling_data.h"

// A measurement file holds one measurement record and nothing else.
inline constexpr std::string_view MeasurementFileExtension = ".vtm";
inline constexpr std::string_view MeasurementFileFilter = "KTP2200 Test File(.vtm)|*.vtm";
inline constexpr std::string_view MeasurementFileDefaultName = "TestFile";

// Both throw FileError; a failed read leaves `measurement` unchanged and a failed write
// leaves the old file in place.
void readMeasurementFile(const std::string& path, SamplingDataType& measurement);
void writeMeasurementFile(const std::string& path, const SamplingDataType& measurement);
