#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "journal/journal_columns.h"
#include "journal/journal_store.h"
#include "journal/sqlite_journal.h"

namespace velmora {

namespace {

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

bool ReadJournal(const std::string& path, const std::function<void(const JournalEntry&)>& each,
                 std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;  // nothing practised yet
        error = SystemError(path);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    JournalStore store;
    JournalError failure = store.openToRead(path);
    if (!failure) failure = store.readAll(each);
    if (failure) {
        error = path + ": " + failure.message;
        return false;
    }
    return true;
}

bool ExportJournalCsv(const std::string& journalPath, const std::string& csvPath,
                      std::string& error) {
    struct stat info {};
    if (::stat(journalPath.c_str(), &info) != 0) {
        error =
            errno == ENOENT ? "no practice journal at " + journalPath : SystemError(journalPath);
        return false;
    }
    // A pipe, a device or a folder is not replaced by a file.
    if (::stat(csvPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = csvPath + ": not a regular file";
        return false;
    }
    static std::atomic<int> counter{0};
    const std::string partial =
        csvPath + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = SystemError(csvPath);
        return false;
    }
    FILE* out = fdopen(fd, "w");
    if (!out) {
        error = SystemError(csvPath);
        ::close(fd);
        ::unlink(partial.c_str());
        return false;
    }
    std::vector<char> buffer(1 << 16);
    std::setvbuf(out, buffer.data(), _IOFBF, buffer.size());

    bool written = std::fputs(CsvHeader().c_str(), out) >= 0;
    std::string row;
    const bool read = ReadJournal(
        journalPath,
        [&](const JournalEntry& e) {
            if (!written) return;
            // One string for every row, its room reused.
            row.clear();
            AppendCsvRow(row, e);
            written = std::fwrite(row.data(), 1, row.size(), out) == row.size();
        },
        error);
    if (!written && error.empty()) error = SystemError(csvPath);
    if (std::fflush(out) != 0 && error.empty()) error = SystemError(csvPath);
    if (::fsync(fileno(out)) != 0 && error.empty() && errno != EINVAL) error = SystemError(csvPath);
    if (std::fclose(out) != 0 && error.empty()) error = SystemError(csvPath);
    if (read && written && error.empty() && std::rename(partial.c_str(), csvPath.c_str()) != 0) {
        error = SystemError(csvPath);
    }
    if (!error.empty()) {
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace velmora
