// The toolkit's environment: its property values, the table of windows by id and the table of
// named bitmaps, and the set-up and shutdown of the toolkit that create and destroy it.
#include "guib/guib.h"

#include <iterator>
#include <map>
#include <unordered_map>

namespace {

// Default property values by id; the fonts (17 to 19) start empty and id 2 does not exist.
constexpr uint32_t DEFAULTS[GUIB_PROPERTY_COUNT] = { 0xFF000000, 0xFF000000, 0, 0xFF738447,
    0xFFE0E0E0, 0xFFFFFFC0, 0xFFFFFFFF, 0xFF000000, 0xD8A3BA69, 0xD8434F25, 0xD8A3BA69, 0xD8C1E0A5,
    0xD8004000, 0xD8434F25, 0xD8434F25, 0xFF000000, 0xFFFFFFC0, 0, 0, 0, 20, 10, 16, 24, 70, 18,
    0x80000000, 5, 0, 0, 0, 0, 0, 0, 0, 0, 250, 50 };
static_assert(std::size(DEFAULTS) == GUIB_PROPERTY_COUNT);

bool IsFontProperty(uint32_t id)
{
    return id == GUIB_PROP_DEFAULT_FONT || id == GUIB_PROP_SECOND_FONT
        || id == GUIB_PROP_THIRD_FONT;
}

bool Exists(uint32_t id)
{
    return id < GUIB_PROPERTY_COUNT && id != 2;
}

c_GUIB_Font* FontOf(uintptr_t value)
{
    return reinterpret_cast<c_GUIB_Font*>(value);
}

GUIB_TickSource g_tickSource = nullptr;
c_GUIB_Environment* g_environment = nullptr;
bool g_objectsStarted = false;

} // namespace

struct c_GUIB_Environment::Tables {
    std::unordered_map<uint32_t, c_GUIB_Window*> windows;
    std::map<uint32_t, GUIB_Ref<c_GUIB_Bitmap>> bitmaps;
};

c_GUIB_Environment::c_GUIB_Environment()
    : m_tables(new Tables)
{
    for (uint32_t id = 0; id < GUIB_PROPERTY_COUNT; ++id)
        m_properties[id] = DEFAULTS[id];
}

c_GUIB_Environment::~c_GUIB_Environment()
{
    delete m_tables;
    for (uint32_t id : { GUIB_PROP_DEFAULT_FONT, GUIB_PROP_SECOND_FONT, GUIB_PROP_THIRD_FONT })
        if (c_GUIB_Font* font = FontOf(m_properties[id]); font != nullptr)
            font->Release();
}

SYS_Status c_GUIB_Environment::GetProperty(uint32_t id, uintptr_t* value) const
{
    if (!Exists(id))
        return GUIB_OUT_OF_RANGE;
    if (IsFontProperty(id)) {
        c_GUIB_Font* font = FontOf(m_properties[id]);
        if (font == nullptr)
            return GUIB_PROPERTY_EMPTY;
        font->AddRef();
    }
    *value = m_properties[id];
    return SYS_OK;
}

uint32_t c_GUIB_Environment::Property(uint32_t id) const
{
    if (!Exists(id) || IsFontProperty(id))
        return 0;
    return static_cast<uint32_t>(m_properties[id]);
}

SYS_Status c_GUIB_Environment::SetProperty(uint32_t id, uintptr_t value)
{
    if (!Exists(id))
        return GUIB_OUT_OF_RANGE;
    if (!IsFontProperty(id)) {
        m_properties[id] = static_cast<uint32_t>(value);
        return SYS_OK;
    }
    c_GUIB_Font* given = FontOf(value);
    c_GUIB_Font* kept = given;
    if (id == GUIB_PROP_DEFAULT_FONT) {
        if (given != nullptr)
            given->AddRef();
    } else if (given != nullptr) {
        // The second and third fonts are private copies, so that the caller may change or
        // release its font afterwards.
        kept = new c_GUIB_Font;
        (void)kept->CopyFrom(*given);
    }
    if (c_GUIB_Font* old = FontOf(m_properties[id]); old != nullptr)
        old->Release();
    m_properties[id] = reinterpret_cast<uintptr_t>(kept);
    return SYS_OK;
}

SYS_Status c_GUIB_Environment::RegisterWindow(c_GUIB_Window* window)
{
    if (!m_tables->windows.emplace(window->GetId(), window).second)
        return GUIB_ID_TAKEN;
    return SYS_OK;
}

void c_GUIB_Environment::UnregisterWindow(c_GUIB_Window* window)
{
    // Only the registered window of that id goes: a duplicate that was never registered must
    // not remove the one that was.
    if (auto it = m_tables->windows.find(window->GetId());
        it != m_tables->windows.end() && it->second == window)
        m_tables->windows.erase(it);
}

c_GUIB_Window* c_GUIB_Environment::FindWindow(uint32_t id) const
{
    auto it = m_tables->windows.find(id);
    if (it == m_tables->windows.end())
        return nullptr;
    it->second->Grab();
    return it->second;
}

uint32_t c_GUIB_Environment::NextId()
{
    return ++m_idCounter;
}

SYS_Status c_GUIB_Environment::AddBitmap(uint32_t id, const c_GUIB_Bitmap* bitmap)
{
    m_tables->bitmaps.erase(id);
    m_tables->bitmaps.emplace(id, GUIB_Ref<c_GUIB_Bitmap>::Adopt(new c_GUIB_Bitmap(*bitmap)));
    return SYS_OK;
}

SYS_Status c_GUIB_Environment::GetBitmap(uint32_t id, c_GUIB_Bitmap** bitmap) const
{
    auto it = m_tables->bitmaps.find(id);
    if (it == m_tables->bitmaps.end())
        return GUIB_STORE_NOT_FOUND;
    it->second->AddRef();
    *bitmap = it->second.Get();
    return SYS_OK;
}

void GUIB_SetTickSource(GUIB_TickSource source)
{
    g_tickSource = source;
}

uint32_t GUIB_TickCount()
{
    return g_tickSource != nullptr ? g_tickSource() : SYS_TickCount();
}

namespace {

// The interface font every window starts with: 11-pixel Tahoma, characters 32 to 127.
void CreateDefaultFont(c_GUIB_Environment* environment)
{
    GUIB_LogFont logFont {};
    logFont.height = -11;
    logFont.weight = 400;
    logFont.outPrecision = 3;
    logFont.clipPrecision = 2;
    logFont.quality = 1;
    logFont.pitchAndFamily = 0x22;
    std::snprintf(logFont.faceName, sizeof logFont.faceName, "%s", "Tahoma");
    const GUIB_FontOptions options { 0, 1, 0 };
    auto font = GUIB_Ref<c_GUIB_Font>::Adopt(new c_GUIB_Font);
    if (font->CreateFontFromWindows(&logFont, 32, 96, &options) == SYS_OK)
        (void)environment->SetProperty(
            GUIB_PROP_DEFAULT_FONT, reinterpret_cast<uintptr_t>(font.Get()));
}

} // namespace

SYS_Status GUI_Init(const GUIB_Options* options, c_GUIB_Environment** environment)
{
    if (g_environment != nullptr) {
        *environment = g_environment;
        return GUIB_ALREADY_SET_UP;
    }
    if (SYS_Status status = GUIB_TextsInit(); status != SYS_OK)
        return status;
    if (g_objectsStarted) {
        GUIB_TextsDone();
        return GUIB_ALREADY_SET_UP;
    }
    if (SYS_ModuleNotice(SYS_TAG_GUIB, "GUIB") == 0)
        g_objectsStarted = true;
    if (uint32_t status = SYS_ModuleNotice(SYS_TAG_GUI, "GUI"); status != 0)
        return status;
    g_environment = new c_GUIB_Environment;
    if (options == nullptr || options->createDefaultFont != 0)
        CreateDefaultFont(g_environment);
    *environment = g_environment;
    return SYS_OK;
}

void GUI_Done()
{
    if (g_environment == nullptr)
        return;
    delete g_environment;
    g_environment = nullptr;
    (void)SYS_ModuleNotice(SYS_TAG_GUI, nullptr);
    (void)SYS_ModuleNotice(SYS_TAG_GUIB, nullptr);
    g_objectsStarted = false;
    GUIB_TextsDone();
}
