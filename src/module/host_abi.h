// The simulator's gauge interface: every record the host and a gauge module
// exchange, in the host's own layout (4-byte packing, __stdcall entries).
// The 64-bit hosts use the same records compiled for x86-64: pointers and
// the pointer-sized fields take 8 bytes, still at 4-byte alignment, and the
// services table has eight more entries. Shared by the module and by our
// simulator stand-in, so that both agree with the real host byte for byte;
// the figures asserted at the end are the host's, for each architecture.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN64)
#define HOST_ABI_64 1
#else
#define HOST_ABI_64 0
#endif

#if defined(_MSC_VER) || defined(__MINGW32__)
#define HOST_API __stdcall
#define HOST_CDECL __cdecl
#else
#define HOST_API
#define HOST_CDECL
#endif

#pragma pack(push, 4)

struct GaugeHeader;
struct ElementHeader;
struct MouseRect;

struct PixPoint {
    int32_t x;
    int32_t y;
};

struct PixBox {
    int32_t x;
    int32_t y;
    int32_t size_x;
    int32_t size_y;
};

// Gauge callback service ids.
enum PanelService : int32_t {
    kServicePreQuery = 0,
    kServicePostQuery = 1,
    kServicePreInstall = 2,
    kServicePostInstall = 3,
    kServicePreInitialize = 4,
    kServicePostInitialize = 5,
    kServicePreUpdate = 6,
    kServicePostUpdate = 7,
    kServicePreGenerate = 8,
    kServicePostGenerate = 9,
    kServicePreDraw = 10,
    kServicePostDraw = 11,
    kServicePreKill = 12,
    kServicePostKill = 13,
};

typedef void(HOST_API* GaugeRoutine)(void);
typedef void(HOST_API* GaugeInstallRoutine)(void* resource_file_handle);
typedef void(HOST_API* GaugeGenerateRoutine)(uint32_t phase);
// extra_data is pointer-sized (UINT_PTR): install passes the resource handle.
typedef void(HOST_API* GaugeCallback)(GaugeHeader* gauge, int32_t service_id, uintptr_t extra_data);
typedef int32_t(HOST_API* MouseFunction)(PixPoint* relative_point, uint32_t mouse_flags);
typedef void(HOST_CDECL* KeyEventHandler)(uint32_t event_id, uint32_t event_data, void* user_data);

struct ModuleVar;
struct StringElement;
typedef double(HOST_API* ModuleVarCallback)(ModuleVar* var);
typedef double(HOST_API* StringUpdateCallback)(StringElement* element);

const uint32_t kGaugeHeaderVersion800 = 0x320;

// GAUGEHDR, 252 bytes (x64: 352); the version field tells the host how much
// of it the module knows.
struct GaugeHeader {
    uint32_t gauge_header_version;
    char* gauge_name;
    ElementHeader** elements_list;  // address of the variable holding the first element
    GaugeRoutine query_routine;
    GaugeInstallRoutine install_routine;
    GaugeRoutine initialize_routine;
    GaugeRoutine update_routine;
    GaugeGenerateRoutine generate_routine;
    GaugeRoutine draw_routine;
    GaugeRoutine kill_routine;
    void* reserved1;
    uint32_t size_x_mm;
    uint32_t size_y_mm;
    float x_adjust;
    float y_adjust;
    void* reserved2;
    void* reserved3;
    PixPoint position;
    void* reserved4;
    MouseRect* mouse_rect;
    GaugeCallback gauge_callback;
    uintptr_t user_data;  // UINT_PTR: 8 bytes on x64
    char* parameters;  // filled by the host per instance: the panel line's parameter text
    char* usage;
    int32_t reserved5;
    void* reserved6;
    PixPoint size;
    double user_area[10];
    uint32_t flags;
    void* reserved7;
    uint8_t guid[16];
    uint32_t key_id;
    void* serialize_size_callback;
    void* serialize_callback;
    void* deserialize_callback;
    void* event_size_callback;
    void* process_event_callback;
    PixPoint original_position;
};

enum ElementType : int32_t {
    kElementStaticImage = 0,
    kElementNeedle = 1,
    kElementString = 2,
};

// The header block shared by every drawing element, 60 bytes (x64: 76).
struct ElementHeader {
    int32_t element_type;
    int32_t resource_id;
    PixPoint position;
    PixPoint previous_position;
    PixPoint ofs;
    GaugeHeader* gauge_header;
    ElementHeader* previous_element;
    ElementHeader** next_element;  // NULL-terminated array of following elements, or NULL
    void* failure_systems;
    uint32_t image_flags;
    uint32_t aircraft_special_instrumentation;
    uint32_t reserved;
};

const uint32_t kImageUseTransparency = 0x00000001;
const uint32_t kImageUseErase = 0x00000002;
const uint32_t kImageBilinearColor = 0x00000080;
const uint32_t kImageHidden = 0x40000000;

struct ImageSet {
    void* final_image;
    void* source_image;
    void* reserved1;
    void* reserved2;
};

struct StaticImageElement {
    ElementHeader header;
    ImageSet image_data;
    void* save_buffer;
    void* hdc;
    void* hbmp;
    void* reserved1;
    void* reserved2;
};

// MODULE_VAR, 28 bytes (x64: 32): fill the token, have the host initialize
// the record once (it fills var_ptr and var_type), then look it up whenever
// the value is wanted and read var_value.
struct ModuleVar {
    int32_t id;
    void* var_ptr;
    int32_t var_type;
    double var_value;
    double var_old;
};

struct StringElement {
    ElementHeader header;
    ModuleVar source_var[3];
    double save_var[3];
    ModuleVarCallback source_var_cb[3];
    void* source_fn;
    char* string;
    char* string_old;
    PixPoint img_size;
    void* string_data;
    void* save_buffer;
    uint32_t fg_color;
    uint32_t bg_color;
    uint32_t hilite_color;
    void* hdc;
    void* hfont;
    void* reserved1;
    void* hbmp;
    void* reserved2;
    void* hbrush;
    void* reserved3;
    char font_name[32];
    int32_t font_weight;
    uint8_t font_charset;
    uint32_t draw_text_flags;
    uint16_t max_string_length;
    uint16_t char_width;
    int16_t sel_str;
    int16_t sel_end;
    void* seq;
    int32_t save_global_seq;
    int32_t char_height;
    StringUpdateCallback update_cb;
    int32_t use_user_color;
    uint32_t user_color;
};

enum MouseRectType : int32_t {
    kMouseRectEol = 0,
    kMouseRectParent = 1,
    kMouseRectChild = 2,
    kMouseRectEndParent = 3,
    kMouseRectUser = 4,
};

const uint32_t kMouseLeftSingle = 0x20000000;
const uint32_t kMouseRightSingle = 0x80000000;
const uint32_t kMouseDownRepeat = 0x00200000;  // keeps calling while the button is held

enum CursorType : int32_t {
    kCursorNone = -1,
    kCursorNormal = 0,
    kCursorUpArrow = 1,
    kCursorDownArrow = 2,
};

struct MouseRect {
    int32_t rect_type;
    PixBox relative_box;
    int32_t cursor;
    int32_t help_id;
    uint32_t mouse_flags;
    int32_t event_id;
    MouseFunction mouse_function;
    void* api_data;
};

// What a mouse function's first argument really points at.
struct MouseCallbackArgs {
    PixPoint relative_point;
    void* user_data;  // the gauge header
    MouseRect* mouse;
    PixPoint screen_point;
    void* reserved;
};

// The six fields that open both the module linkage and the services table,
// 24 bytes (x64: 32).
struct LinkageBlock {
    int32_t module_id;
    GaugeRoutine module_init;
    GaugeRoutine module_deinit;
    uint32_t module_flags;
    uint32_t module_priority;
    uint32_t module_version;
};

// The panel-services table the host hands the module: 86 entries, 344 bytes
// (x64: 94 entries, 736 bytes). Only the entries this module and its
// stand-in use are typed; the rest are slots.
struct PanelServices {
    LinkageBlock linkage;
    void* reserved_06_23[18];
    void(HOST_API* element_list_query)(ElementHeader* element);
    void(HOST_API* element_list_install)(ElementHeader* element, void* resource_file_handle);
    void(HOST_API* element_list_initialize)(ElementHeader* element);
    void(HOST_API* element_list_update)(ElementHeader* element);
    void(HOST_API* element_list_generate)(ElementHeader* element, uint32_t phase);
    void(HOST_API* element_list_plot)(ElementHeader* element);
    void(HOST_API* element_list_erase)(ElementHeader* element);
    void(HOST_API* element_list_kill)(ElementHeader* element);
    void* reserved_32_35[4];
    uint32_t(HOST_API* trigger_key_event)(uint32_t event_id, uint32_t value);
    void(HOST_API* register_var_by_name)(void* var, int32_t var_type, char* name);
    void(HOST_API* initialize_var)(ModuleVar* var);
    void(HOST_API* initialize_var_by_name)(ModuleVar* var, char* name);
    void(HOST_API* lookup_var)(ModuleVar* var);
    void(HOST_API* unregister_var_by_name)(char* name);
    void* reserved_42_50[9];
    int32_t(HOST_API* check_named_variable)(const char* name);
    int32_t(HOST_API* register_named_variable)(const char* name);
    double(HOST_API* get_named_variable_value)(int32_t id);
    void* get_named_variable_typed_value;
    void(HOST_API* set_named_variable_value)(int32_t id, double value);
    void* reserved_56_79[24];
    void(HOST_API* register_key_event_handler)(KeyEventHandler handler, void* user_data);
    void(HOST_API* unregister_key_event_handler)(KeyEventHandler handler, void* user_data);
    void* reserved_82_83[2];
    void* process_shared_event_out;
    bool(HOST_API* is_master)(void);
#if HOST_ABI_64
    // Appended by the 64-bit hosts; the module uses none of them.
    void* reserved_86;
    void(HOST_API* set_named_variable_value_sync)(int32_t id, double value);
    void(HOST_API* set_named_variable_sync_enabled)(int32_t id, bool enabled);
    const wchar_t*(HOST_API* get_event_description)(uint32_t event_id);
    const wchar_t*(HOST_API* get_event_token_string)(uint32_t event_id);
    int32_t(HOST_API* query_pdk)(const void* interface_id, void** object);  // (REFIID, void**) -> HRESULT
    uint32_t(HOST_API* get_event_count)(void);
    uint32_t(HOST_API* get_event_id_by_index)(uint32_t index);
#endif
};

// The module's exported linkage: the shared block, then the gauge headers,
// ended by a null entry.
struct ModuleLinkage {
    LinkageBlock linkage;
    GaugeHeader* gauge_headers[3];
};

// The module's exported import table: one entry asking for the services
// table, 16 bytes (x64: 24).
struct ModuleImports {
    int32_t panels_id;
    PanelServices* panels;  // written by the host before start-up
    int32_t null_id;
    void* null_ptr;
};

#pragma pack(pop)

const int32_t kPanelsImportId = 0x0F;
const int32_t kLinkageModuleId = 0x13;
const uint32_t kLinkageVersion = 0x900;
const int32_t kVarTypeUint64 = 30;
const int32_t kVarTypeFloat64 = 33;
const int32_t kTokenElapsedSeconds = 604;

// Every size, and the offsets that the module or its stand-in rely on, as
// the host lays them out: (x86, x64).
#if HOST_ABI_64
#define HOST_ABI_PICK(x86, x64) (x64)
#else
#define HOST_ABI_PICK(x86, x64) (x86)
#endif
#define HOST_ABI_SIZE(type, x86, x64) static_assert(sizeof(type) == HOST_ABI_PICK(x86, x64), "size of " #type)
#define HOST_ABI_OFFSET(type, field, x86, x64) \
    static_assert(offsetof(type, field) == HOST_ABI_PICK(x86, x64), #type "." #field)

HOST_ABI_SIZE(PixPoint, 8, 8);
HOST_ABI_SIZE(PixBox, 16, 16);

HOST_ABI_SIZE(GaugeHeader, 252, 352);
HOST_ABI_OFFSET(GaugeHeader, gauge_name, 4, 4);
HOST_ABI_OFFSET(GaugeHeader, elements_list, 8, 12);
HOST_ABI_OFFSET(GaugeHeader, query_routine, 12, 20);
HOST_ABI_OFFSET(GaugeHeader, install_routine, 16, 28);
HOST_ABI_OFFSET(GaugeHeader, initialize_routine, 20, 36);
HOST_ABI_OFFSET(GaugeHeader, update_routine, 24, 44);
HOST_ABI_OFFSET(GaugeHeader, generate_routine, 28, 52);
HOST_ABI_OFFSET(GaugeHeader, draw_routine, 32, 60);
HOST_ABI_OFFSET(GaugeHeader, kill_routine, 36, 68);
HOST_ABI_OFFSET(GaugeHeader, reserved1, 40, 76);
HOST_ABI_OFFSET(GaugeHeader, size_x_mm, 44, 84);
HOST_ABI_OFFSET(GaugeHeader, size_y_mm, 48, 88);
HOST_ABI_OFFSET(GaugeHeader, x_adjust, 52, 92);
HOST_ABI_OFFSET(GaugeHeader, y_adjust, 56, 96);
HOST_ABI_OFFSET(GaugeHeader, reserved2, 60, 100);
HOST_ABI_OFFSET(GaugeHeader, reserved3, 64, 108);
HOST_ABI_OFFSET(GaugeHeader, position, 68, 116);
HOST_ABI_OFFSET(GaugeHeader, reserved4, 76, 124);
HOST_ABI_OFFSET(GaugeHeader, mouse_rect, 80, 132);
HOST_ABI_OFFSET(GaugeHeader, gauge_callback, 84, 140);
HOST_ABI_OFFSET(GaugeHeader, user_data, 88, 148);
HOST_ABI_OFFSET(GaugeHeader, parameters, 92, 156);
HOST_ABI_OFFSET(GaugeHeader, usage, 96, 164);
HOST_ABI_OFFSET(GaugeHeader, reserved5, 100, 172);
HOST_ABI_OFFSET(GaugeHeader, reserved6, 104, 176);
HOST_ABI_OFFSET(GaugeHeader, size, 108, 184);
HOST_ABI_OFFSET(GaugeHeader, user_area, 116, 192);
HOST_ABI_OFFSET(GaugeHeader, flags, 196, 272);
HOST_ABI_OFFSET(GaugeHeader, reserved7, 200, 276);
HOST_ABI_OFFSET(GaugeHeader, guid, 204, 284);
HOST_ABI_OFFSET(GaugeHeader, key_id, 220, 300);
HOST_ABI_OFFSET(GaugeHeader, serialize_size_callback, 224, 304);
HOST_ABI_OFFSET(GaugeHeader, serialize_callback, 228, 312);
HOST_ABI_OFFSET(GaugeHeader, deserialize_callback, 232, 320);
HOST_ABI_OFFSET(GaugeHeader, event_size_callback, 236, 328);
HOST_ABI_OFFSET(GaugeHeader, process_event_callback, 240, 336);
HOST_ABI_OFFSET(GaugeHeader, original_position, 244, 344);
static_assert(sizeof(GaugeHeader::user_data) == sizeof(void*), "GaugeHeader.user_data is pointer-sized");

HOST_ABI_SIZE(ElementHeader, 60, 76);
HOST_ABI_OFFSET(ElementHeader, resource_id, 4, 4);
HOST_ABI_OFFSET(ElementHeader, position, 8, 8);
HOST_ABI_OFFSET(ElementHeader, previous_position, 16, 16);
HOST_ABI_OFFSET(ElementHeader, ofs, 24, 24);
HOST_ABI_OFFSET(ElementHeader, gauge_header, 32, 32);
HOST_ABI_OFFSET(ElementHeader, previous_element, 36, 40);
HOST_ABI_OFFSET(ElementHeader, next_element, 40, 48);
HOST_ABI_OFFSET(ElementHeader, failure_systems, 44, 56);
HOST_ABI_OFFSET(ElementHeader, image_flags, 48, 64);
HOST_ABI_OFFSET(ElementHeader, aircraft_special_instrumentation, 52, 68);
HOST_ABI_OFFSET(ElementHeader, reserved, 56, 72);

HOST_ABI_SIZE(ImageSet, 16, 32);
HOST_ABI_SIZE(StaticImageElement, 96, 148);
HOST_ABI_OFFSET(StaticImageElement, image_data, 60, 76);
HOST_ABI_OFFSET(StaticImageElement, save_buffer, 76, 108);
HOST_ABI_OFFSET(StaticImageElement, hdc, 80, 116);
HOST_ABI_OFFSET(StaticImageElement, hbmp, 84, 124);
HOST_ABI_OFFSET(StaticImageElement, reserved1, 88, 132);
HOST_ABI_OFFSET(StaticImageElement, reserved2, 92, 140);

HOST_ABI_SIZE(ModuleVar, 28, 32);
HOST_ABI_OFFSET(ModuleVar, var_ptr, 4, 4);
HOST_ABI_OFFSET(ModuleVar, var_type, 8, 12);
HOST_ABI_OFFSET(ModuleVar, var_value, 12, 16);
HOST_ABI_OFFSET(ModuleVar, var_old, 20, 24);

HOST_ABI_SIZE(StringElement, 324, 420);
HOST_ABI_OFFSET(StringElement, source_var, 60, 76);
HOST_ABI_OFFSET(StringElement, save_var, 144, 172);
HOST_ABI_OFFSET(StringElement, source_var_cb, 168, 196);
HOST_ABI_OFFSET(StringElement, source_fn, 180, 220);
HOST_ABI_OFFSET(StringElement, string, 184, 228);
HOST_ABI_OFFSET(StringElement, string_old, 188, 236);
HOST_ABI_OFFSET(StringElement, img_size, 192, 244);
HOST_ABI_OFFSET(StringElement, string_data, 200, 252);
HOST_ABI_OFFSET(StringElement, save_buffer, 204, 260);
HOST_ABI_OFFSET(StringElement, fg_color, 208, 268);
HOST_ABI_OFFSET(StringElement, bg_color, 212, 272);
HOST_ABI_OFFSET(StringElement, hilite_color, 216, 276);
HOST_ABI_OFFSET(StringElement, hdc, 220, 280);
HOST_ABI_OFFSET(StringElement, hfont, 224, 288);
HOST_ABI_OFFSET(StringElement, hbmp, 232, 304);
HOST_ABI_OFFSET(StringElement, hbrush, 240, 320);
HOST_ABI_OFFSET(StringElement, font_name, 248, 336);
HOST_ABI_OFFSET(StringElement, font_weight, 280, 368);
HOST_ABI_OFFSET(StringElement, font_charset, 284, 372);
HOST_ABI_OFFSET(StringElement, draw_text_flags, 288, 376);
HOST_ABI_OFFSET(StringElement, max_string_length, 292, 380);
HOST_ABI_OFFSET(StringElement, char_width, 294, 382);
HOST_ABI_OFFSET(StringElement, sel_str, 296, 384);
HOST_ABI_OFFSET(StringElement, sel_end, 298, 386);
HOST_ABI_OFFSET(StringElement, seq, 300, 388);
HOST_ABI_OFFSET(StringElement, save_global_seq, 304, 396);
HOST_ABI_OFFSET(StringElement, char_height, 308, 400);
HOST_ABI_OFFSET(StringElement, update_cb, 312, 404);
HOST_ABI_OFFSET(StringElement, use_user_color, 316, 412);
HOST_ABI_OFFSET(StringElement, user_color, 320, 416);

HOST_ABI_SIZE(MouseRect, 44, 52);
HOST_ABI_OFFSET(MouseRect, relative_box, 4, 4);
HOST_ABI_OFFSET(MouseRect, cursor, 20, 20);
HOST_ABI_OFFSET(MouseRect, help_id, 24, 24);
HOST_ABI_OFFSET(MouseRect, mouse_flags, 28, 28);
HOST_ABI_OFFSET(MouseRect, event_id, 32, 32);
HOST_ABI_OFFSET(MouseRect, mouse_function, 36, 36);
HOST_ABI_OFFSET(MouseRect, api_data, 40, 44);

HOST_ABI_SIZE(MouseCallbackArgs, 28, 40);
HOST_ABI_OFFSET(MouseCallbackArgs, user_data, 8, 8);
HOST_ABI_OFFSET(MouseCallbackArgs, mouse, 12, 16);
HOST_ABI_OFFSET(MouseCallbackArgs, screen_point, 16, 24);
HOST_ABI_OFFSET(MouseCallbackArgs, reserved, 24, 32);

HOST_ABI_SIZE(LinkageBlock, 24, 32);
HOST_ABI_OFFSET(LinkageBlock, module_init, 4, 4);
HOST_ABI_OFFSET(LinkageBlock, module_deinit, 8, 12);
HOST_ABI_OFFSET(LinkageBlock, module_flags, 12, 20);
HOST_ABI_OFFSET(LinkageBlock, module_priority, 16, 24);
HOST_ABI_OFFSET(LinkageBlock, module_version, 20, 28);
HOST_ABI_SIZE(ModuleLinkage, 36, 56);
HOST_ABI_OFFSET(ModuleLinkage, gauge_headers, 24, 32);
HOST_ABI_SIZE(ModuleImports, 16, 24);
HOST_ABI_OFFSET(ModuleImports, panels, 4, 4);
HOST_ABI_OFFSET(ModuleImports, null_id, 8, 12);
HOST_ABI_OFFSET(ModuleImports, null_ptr, 12, 16);

HOST_ABI_SIZE(PanelServices, 344, 736);
HOST_ABI_OFFSET(PanelServices, element_list_query, 0x60, 176);
HOST_ABI_OFFSET(PanelServices, element_list_install, 0x64, 184);
HOST_ABI_OFFSET(PanelServices, element_list_initialize, 0x68, 192);
HOST_ABI_OFFSET(PanelServices, element_list_update, 0x6C, 200);
HOST_ABI_OFFSET(PanelServices, element_list_generate, 0x70, 208);
HOST_ABI_OFFSET(PanelServices, element_list_plot, 0x74, 216);
HOST_ABI_OFFSET(PanelServices, element_list_erase, 0x78, 224);
HOST_ABI_OFFSET(PanelServices, element_list_kill, 0x7C, 232);
HOST_ABI_OFFSET(PanelServices, trigger_key_event, 0x90, 272);
HOST_ABI_OFFSET(PanelServices, register_var_by_name, 0x94, 280);
HOST_ABI_OFFSET(PanelServices, initialize_var, 0x98, 288);
HOST_ABI_OFFSET(PanelServices, lookup_var, 0xA0, 304);
HOST_ABI_OFFSET(PanelServices, unregister_var_by_name, 0xA4, 312);
HOST_ABI_OFFSET(PanelServices, check_named_variable, 0xCC, 392);
HOST_ABI_OFFSET(PanelServices, register_named_variable, 0xD0, 400);
HOST_ABI_OFFSET(PanelServices, get_named_variable_value, 0xD4, 408);
HOST_ABI_OFFSET(PanelServices, set_named_variable_value, 0xDC, 424);
HOST_ABI_OFFSET(PanelServices, register_key_event_handler, 0x140, 624);
HOST_ABI_OFFSET(PanelServices, unregister_key_event_handler, 0x144, 632);
HOST_ABI_OFFSET(PanelServices, is_master, 0x154, 664);
#if HOST_ABI_64
static_assert(offsetof(PanelServices, reserved_86) == 672, "PanelServices.reserved_86");
static_assert(offsetof(PanelServices, get_event_id_by_index) == 728, "PanelServices.get_event_id_by_index");
#endif
