#pragma once

#include "platform/host_message.h"
#include "platform/messages.h"

#include <string>
#include <utility>
#include <vector>

// Collects (title, text) pairs instead of showing message boxes.
class RecordingMessages : public Messages {
public:
    void Show(const std::string& title, const std::string& text) override { shown.emplace_back(title, text); }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const auto& [title, text] : shown)
            result.push_back(text);
        return result;
    }

    std::vector<std::pair<std::string, std::string>> shown;
};

struct PostedPageExit {
    int hostThreadId;
    int cornerX;
    int cornerY;
    bool operator==(const PostedPageExit&) const = default;
};

// Collects the page-exit messages instead of sending them.
class RecordingMessenger : public HostMessenger {
public:
    void PostPageExit(int hostThreadId, int cornerX, int cornerY) override
    {
        posted.push_back({hostThreadId, cornerX, cornerY});
    }

    std::vector<PostedPageExit> posted;
};
