#pragma once
// The per-pupil report's lines of weak events: the report's pupils' events, read from the
// events file when a report is made (never when the board opens), named from the question file.
#include <QString>
#include <memory>
#include <vector>

namespace kanameru {

class WeakEvents {
public:
    // Reads the pupils' events; when the events file or the question file cannot be read, every
    // line is empty.
    explicit WeakEvents(const std::vector<int>& pupils);
    ~WeakEvents();
    // The line under the graph of the pupil's section for the level.
    QString line(int pupil, int level) const;

private:
    struct Names;
    std::unique_ptr<Names> names_;
};

} // namespace kanameru
