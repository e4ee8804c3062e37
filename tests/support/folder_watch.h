#pragma once

#include <sys/inotify.h>
#include <unistd.h>

#include <QFile>
#include <QStringList>

namespace zep::test {

// The names of the files in `folder` that `mask`'s events (IN_CREATE, IN_MOVED_TO, IN_OPEN)
// came to while the watch lives, in order: "+name" created, ">name" renamed into it, "name"
// opened.
class folder_watch {
  public:
    folder_watch(const QString& folder, uint32_t mask)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), mask);
    }
    ~folder_watch() { ::close(fd_); }
    folder_watch(const folder_watch&) = delete;
    folder_watch& operator=(const folder_watch&) = delete;

    QStringList seen() {
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                const char* kind = event->mask & IN_CREATE     ? "+"
                                   : event->mask & IN_MOVED_TO ? ">"
                                                               : "";
                if (event->len > 0) seen_ << QLatin1String(kind) + QFile::decodeName(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return seen_;
    }

  private:
    int fd_;
    QStringList seen_;
};

}  // namespace zep::test
