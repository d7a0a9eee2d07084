// The one ordered log of calls that every fake writes to, and the labels that name pointers in it.
#include "tests/fakes/CallLog.h"

void CallLog::add(std::string call)
{
    entries.push_back(std::move(call));
}

std::vector<std::string> CallLog::named(std::string_view prefix) const
{
    std::vector<std::string> matching;
    for (const std::string& entry : entries) {
        if (entry.starts_with(prefix))
            matching.push_back(entry);
    }
    return matching;
}

void CallLog::setLabel(const void* pointer, std::string label)
{
    labels[pointer] = std::move(label);
}

void CallLog::removeLabel(const void* pointer)
{
    labels.erase(pointer);
}

std::string CallLog::label(const void* pointer) const
{
    if (!pointer)
        return "null";
    auto found = labels.find(pointer);
    return found != labels.end() ? found->second : "ptr";
}

CallLog& callLog()
{
    static CallLog log;
    return log;
}
