#include "base/file_image.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

[[noreturn]] void throwSystemError(std::string_view action, const std::string& path, int error) {
    throw FileError(std::string(action) + " " + quoted(path) + ": " + std::strerror(error));
}

// Closes the descriptor when the scope ends, so every path out of a handler closes it.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the error, for writes whose close may still fail.
    int close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Reads until `buffer` is full or the file ends; returns the bytes read, or -1 with errno.
ssize_t readFully(int fd, std::span<std::byte> buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeFully(int fd, std::span<const std::byte> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A symbolic link keeps pointing at the saved file: the file it names is replaced. The
// links are followed one by one, as a link to a file not yet there must be kept too.
std::filesystem::path resolvedTarget(const std::string& path) {
    std::error_code error;
    std::filesystem::path target(path);
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(target, error); ++hop) {
        std::filesystem::path next = std::filesystem::read_symlink(target, error);
        if (error)
            break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// Creates a fresh temporary file beside `target`; the process umask applies to its mode.
int createTemporaryBeside(const std::filesystem::path& target, std::string& temporaryPath) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path folder = target.parent_path();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                           "-" + std::to_string(counter++);
        temporaryPath = (folder / name).string();
        int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void syncFolder(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // the rename is already done; a failed folder sync loses nothing
        ::close(fd);
    }
}

} // namespace

void readFileImage(const std::string& path, std::span<std::byte> target) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        throwSystemError("Cannot open", path, errno);
    std::vector<std::byte> buffer(target.size());
    ssize_t found = readFully(file.get(), buffer);
    if (found < 0)
        throwSystemError("Cannot read", path, errno);
    if (static_cast<std::size_t>(found) < target.size())
        throw FileError("Cannot read " + quoted(path) + ": the file is too short, " +
                        std::to_string(target.size()) + " bytes expected, " +
                        std::to_string(found) + " found.");
    std::memcpy(target.data(), buffer.data(), target.size());
}

void writeFileAtomically(const std::string& path, std::span<const std::byte> bytes) {
    std::filesystem::path target = resolvedTarget(path);
    std::string temporaryPath;
    FileDescriptor file(createTemporaryBeside(target, temporaryPath));
    if (file.get() < 0)
        throwSystemError("Cannot create a file beside", path, errno);

    auto fail = [&](int error) {
        ::unlink(temporaryPath.c_str());
        throwSystemError("Cannot write", path, error);
    };
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && ::fchmod(file.get(), old.st_mode & 07777) != 0)
        fail(errno);
    if (!writeFully(file.get(), bytes))
        fail(errno);
    if (::fsync(file.get()) != 0)
        fail(errno);
    if (int error = file.close(); error != 0)
        fail(error);
    if (::rename(temporaryPath.c_str(), target.c_str()) != 0)
        fail(errno);
    syncFolder(target);
}

std::string withExtension(const std::string& fileName, std::string_view extension) {
    std::string_view tail(fileName);
    if (tail.size() > extension.size())
        tail.remove_prefix(tail.size() - extension.size());
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    bool matches = tail.size() == extension.size() &&
                   std::equal(tail.begin(), tail.end(), extension.begin(),
                              [&](char a, char b) { return lower(a) == lower(b); });
    if (matches)
        return fileName;
    std::string lowered(extension);
    for (char& c : lowered)
        c = lower(c);
    return fileName + lowered;
}
