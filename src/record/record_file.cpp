#include "record/record_file.h"

#include "base/file_image.h"

void readRecordFile(const std::string& path, RecordFileType& element) {
    readRecordImage(path, element);
}

void writeRecordFile(const std::string& path, const RecordFileType& element) {
    writeRecordImage(path, element);
}
