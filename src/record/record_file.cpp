#include "record/record_file.h"

#include <cmath>

#include "base/file_image.h"

void readRecordFile(const std::string& path, RecordFileType& element) {
    readRecordImage(path, element);
}

void writeRecordFile(const std::string& path, const RecordFileType& element) {
    writeRecordImage(path, element);
}

std::int64_t samplesPerSecond(float Sampling_Rate) {
    if (!(Sampling_Rate > 0) || !std::isfinite(Sampling_Rate))
        return 0;
    return std::llrint(1.0 / double(Sampling_Rate));
}
