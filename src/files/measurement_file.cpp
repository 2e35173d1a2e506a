#include "files/measurement_file.h"

#include "base/file_image.h"

void readMeasurementFile(const std::string& path, SamplingDataType& measurement) {
    readRecordImage(path, measurement);
}

void writeMeasurementFile(const std::string& path, const SamplingDataType& measurement) {
    writeRecordImage(path, measurement);
}
