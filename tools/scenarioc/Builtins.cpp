#include "tools/scenarioc/Builtins.h"

namespace scenarioc {

namespace {

// "_return_to" pushes its value only when it finds the caller, and then continues
// elsewhere, so at the call site it leaves nothing behind.
constexpr Builtin kBuiltins[kBuiltinCount] = {
    {"_print", 0, kVariableArgs, false},
    {"_reset_global_contacts", 1, 0, false},
    {"_enqueue_return_to_idle", 2, 0, false},
    {"_get_message_id", 3, 1, true},
    {"_get_thread_address", 4, 1, true},
    {"_set_resume_event", 5, 1, false},
    {"_fwd_to_uijob", 6, 1, false},
    {"_send_to_uijob", 7, 1, false},
    {"_send_self", 8, 1, false},
    {"_assert", 9, 1, false},
    {"_get_capture_album_location", 10, 0, true},
    {"_get_storage_location_from_album", 11, 1, true},
    {"_get_default_local_album_location", 12, 0, true},
    {"_copy_oem_contacts_to_global_contact_container", 13, 0, false},
    {"_mam_deselect_all", 14, 0, false},
    {"_return_to", 15, 2, false},
    {"_is_scenario_configured", 16, 1, true},
    {"_has_config_scenario", 17, 1, true},
    {"_get_ThreadId_from_Message_Summary", 18, 1, true},
    {"_load_scenario", 19, 1, true},
    {"_launch_browser_dest_location", 20, 1, false},
    {"_launch_browser_uri_location", 21, 1, false},
    {"_destination_url_check", 22, 1, true},
    {"_config_scenario_url_check", 23, 1, true},
    {"_get_config_scenario", 24, 1, true},
    {"_scenario_supports_image", 25, 1, true},
    {"_scenario_supports_video", 26, 1, true},
    {"_scenario_supports_txtonly", 27, 1, true},
    {"_is_3rd_party_upload_supported", 28, 0, true},
    {"_refresh_destlist", 29, 0, false},
    {"_storage_location_to_locus", 30, 1, true},
    {"_local_album_summary_for_storage_location", 31, 1, true},
    {"_ev_cracker", 32, 2, true},
    {"_media_storage_area_to_storage_location", 33, 1, true},
    {"_get_internal_config", 34, 1, true},
    {"_enq_process_url_request_activity", 35, 1, false},
    {"_is_msg_new", 36, 1, true},
    {"_clear_all_new_counts", 37, 0, false},
    {"_show_non_new_message_summaries", 38, 0, true},
    {"@vxl_get", 39, 1, true},
    {"@vxl_set", 40, 2, false},
    {"@uij_get", 41, 1, true},
    {"@uij_set", 42, 2, false},
    {"@switch_to_uijob", 43, 1, false},
    {"@uijob_go", 44, 0, false},
    {"@wait_for_next_event", 45, 0, true},
};

} // namespace

const Builtin* findBuiltin(std::string_view name)
{
    for (const Builtin& b : kBuiltins) {
        if (name == b.name)
            return &b;
    }
    return nullptr;
}

const Builtin* builtinByIndex(int index)
{
    if (index < 0 || index >= kBuiltinCount)
        return nullptr;
    return &kBuiltins[index];
}

} // namespace scenarioc
