// Test windows that write down every message and mouse event reaching them into one log shared
// by the whole tree, so a test can check who heard what, in which order and with which
// coordinates.
#pragma once

#include "guib/guib.h"
#include "tests/guib/geometry_checks.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct Heard {
    std::string who;
    bool mouse; // OnMouse rather than OnMessage
    uint32_t code;
    uintptr_t p1;
    GUIB_Point at; // OnMouse's point, or the point carried by TO_ROOT and SHOW_HINT
    GUIB_Rect rect; // the rectangle carried by INVALIDATE and VISIBLE_RECT
    std::u16string text; // the hint text of SHOW_HINT
};

class Recorder {
public:
    std::vector<Heard> heard;
    std::map<std::string, int> destroyed;

    // Who heard the message, in order.
    std::vector<std::string> Receivers(uint32_t message) const
    {
        std::vector<std::string> names;
        for (const Heard& h : heard)
            if (!h.mouse && h.code == message)
                names.push_back(h.who);
        return names;
    }
    // The messages or mouse events one window heard, in order.
    std::vector<Heard> Of(const std::string& who, bool mouse) const
    {
        std::vector<Heard> found;
        for (const Heard& h : heard)
            if (h.who == who && h.mouse == mouse)
                found.push_back(h);
        return found;
    }
    std::vector<uint32_t> MouseEvents(const std::string& who) const
    {
        std::vector<uint32_t> events;
        for (const Heard& h : Of(who, true))
            events.push_back(h.code);
        return events;
    }
    // The key messages one window heard: (GUIB_MSG_KEY_DOWN or GUIB_MSG_KEY_UP, key value).
    std::vector<std::pair<uint32_t, uintptr_t>> Keys(const std::string& who) const
    {
        std::vector<std::pair<uint32_t, uintptr_t>> keys;
        for (const Heard& h : Of(who, false))
            if (h.code == GUIB_MSG_KEY_DOWN || h.code == GUIB_MSG_KEY_UP)
                keys.emplace_back(h.code, h.p1);
        return keys;
    }
    int Count(const std::string& who, uint32_t message) const
    {
        int n = 0;
        for (const Heard& h : Of(who, false))
            n += h.code == message;
        return n;
    }
    void Clear() { heard.clear(); }
};

class Probe : public c_GUIB_Window {
public:
    Probe(Recorder& log, std::string name, const GUIB_WindowCreate& create)
        : c_GUIB_Window(&create)
        , m_log(log)
        , m_name(std::move(name))
    {
    }

    // Answers given to messages instead of the base class's answer.
    std::map<uint32_t, uint32_t> answers;
    // What Draw paints over the whole surface (0 paints nothing), and how often it ran.
    uint32_t paint = 0;
    int draws = 0;
    // Run after a mouse event has been written down.
    std::function<void(Probe*, uint32_t)> onMouse;

    uint32_t FrameStyle() const { return m_frameStyle; }
    uint32_t TextAlign() const { return m_textAlign; }

    void OnMouse(
        uint32_t event, const GUIB_Point* at, uint32_t state, const GUIB_Rect* clip) override
    {
        m_log.heard.push_back({ m_name, true, event, state, *at, *clip, {} });
        if (onMouse)
            onMouse(this, event);
    }
    uint32_t OnMessage(uint32_t message, uintptr_t p1, uintptr_t p2) override
    {
        Heard h { m_name, false, message, p1, {}, {}, {} };
        if ((message == GUIB_MSG_TO_ROOT || message == GUIB_MSG_SHOW_HINT) && p1 != 0)
            h.at = *reinterpret_cast<const GUIB_Point*>(p1);
        if (message == GUIB_MSG_SHOW_HINT && p2 != 0)
            h.text = reinterpret_cast<const char16_t*>(p2);
        if ((message == GUIB_MSG_INVALIDATE || message == GUIB_MSG_VISIBLE_RECT) && p2 != 0)
            h.rect = *reinterpret_cast<const GUIB_Rect*>(p2);
        m_log.heard.push_back(h);
        uint32_t answer = c_GUIB_Window::OnMessage(message, p1, p2);
        auto given = answers.find(message);
        return given != answers.end() ? given->second : answer;
    }
    void Draw() override
    {
        ++draws;
        if (paint == 0)
            return;
        GetSurface()->SetColour(paint);
        GetSurface()->FillRect(&GetRect());
        Invalidate(&GetRect());
    }

protected:
    ~Probe() override { ++m_log.destroyed[m_name]; }

private:
    Recorder& m_log;
    std::string m_name;
};

struct Place {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// A probe at place under parent (null for a root).
inline Probe* MakeProbe(Recorder& log, const char* name, c_GUIB_Environment* env,
    c_GUIB_Window* parent, Place place, uint32_t flags = 0, uint32_t id = 0)
{
    GUIB_WindowCreate create { place.x, place.y, place.width, place.height, id, flags, parent, env,
        nullptr, 0 };
    return new Probe(log, name, create);
}

// The toolkit's clock in tests: set by hand, never slept on.
inline uint32_t g_fakeNow = 0;
inline uint32_t FakeNow()
{
    return g_fakeNow;
}

// A 200 × 150 desktop without a system window, made at tick 1000, with every key up.
class DesktopTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_fakeNow = 1000;
        GUIB_SetTickSource(FakeNow);
        GUIB_ResetKeyStates();
        GUIB_WindowCreate create { 0, 0, 200, 150, 0, 0, nullptr, &env, nullptr, 0 };
        desktop = new c_GUIB_Desktop(&create);
    }
    void TearDown() override
    {
        desktop->Drop();
        GUIB_SetTickSource(nullptr);
        GUIB_ResetKeyStates();
    }
    // A probe under parent, or under the desktop when parent is null.
    Probe* Make(const char* name, Place place, c_GUIB_Window* parent = nullptr, uint32_t flags = 0)
    {
        return MakeProbe(log, name, &env, parent ? parent : desktop, place, flags);
    }

    c_GUIB_Environment env;
    Recorder log;
    c_GUIB_Desktop* desktop = nullptr;
};
