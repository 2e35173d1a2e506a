#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <span>
#include <type_traits>

// Records that cross the wire or a file are raw little-endian memory images, so the
// host must store numbers least significant byte first.
static_assert(std::endian::native == std::endian::little,
              "record images are little-endian memory copies; a big-endian host is not supported");

template <class Record>
concept PackedRecord = std::is_trivially_copyable_v<Record> && std::is_standard_layout_v<Record> &&
                       alignof(Record) == 1;

template <PackedRecord Record>
std::span<std::byte, sizeof(Record)> recordBytes(Record& record) {
    return std::span<std::byte, sizeof(Record)>(reinterpret_cast<std::byte*>(&record),
                                                sizeof(Record));
}

template <PackedRecord Record>
std::span<const std::byte, sizeof(Record)> recordBytes(const Record& record) {
    return std::span<const std::byte, sizeof(Record)>(reinterpret_cast<const std::byte*>(&record),
                                                      sizeof(Record));
}
