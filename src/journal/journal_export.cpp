#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "journal/journal_store.h"
#include "journal/sqlite_journal.h"

namespace velmora {

namespace {

// ISO 8601: the UTC time with a Z, or the local time with its offset.
std::string IsoTime(std::int64_t utcMs, int offsetMinutes, bool local) {
    const std::int64_t shifted = utcMs + (local ? offsetMinutes * 60000LL : 0);
    std::int64_t seconds = shifted / 1000;
    int millis = static_cast<int>(shifted % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (!gmtime_r(&t, &parts)) return "";
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    std::string result = text;
    std::snprintf(text, sizeof text, ".%03d", millis);
    result += text;
    if (!local) return result + "Z";
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    std::snprintf(text, sizeof text, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+',
                  offset / 60 % 100, offset % 60);
    return result + text;
}

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

    bool written = std::fputs(
                       "session,run,question,time_utc,local_time,notes,question_text,answered,"
                       "correct,verdict,shepard,program,note_value,tempo,key_signature,"
                       "response_ms\r\n",
                       out) >= 0;
    std::string row;
    const bool read = ReadJournal(
        journalPath,
        [&](const JournalEntry& e) {
            if (!written) return;
            // Appended in place: a million rows must not cost a million
            // rounds of temporary strings.
            row.clear();
            auto number = [&row](long long value) {
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
                row.append(digits, end);
            };
            auto numbers = [&](const std::vector<int>& values) {
                for (std::size_t k = 0; k < values.size(); ++k) {
                    if (k > 0) row += ' ';
                    number(values[k]);
                }
            };
            number(e.session);
            row += ',';
            number(e.run);
            row += ',';
            number(e.question);
            row += ',';
            row += IsoTime(e.utcMilliseconds, e.utcOffsetMinutes, false);
            row += ',';
            row += IsoTime(e.utcMilliseconds, e.utcOffsetMinutes, true);
            row += ',';
            numbers(e.notes);
            row += ',';
            row += CsvField(e.questionText);
            row += ',';
            numbers(e.answered);
            row += e.correct ? ",1," : ",0,";
            row += CsvField(e.verdict);
            row += e.shepard ? ",1," : ",0,";
            number(e.program);
            row += ',';
            row += CsvField(e.noteValue);
            row += ',';
            number(e.tempo);
            row += ',';
            row += CsvField(e.keySignature);
            row += ',';
            if (e.responseMilliseconds >= 0) number(e.responseMilliseconds);
            row += "\r\n";
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
