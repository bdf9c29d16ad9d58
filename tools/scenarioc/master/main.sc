// Dispatch of the activity codes that the menu and the engine post.

function 1 main(code, event) {
    var album;
    g_result = 0;
    g_activity = code;
    switch (code) {
    case 70:
        s_fav_add_my_albums();
    case 71, 75:
        rspix();
    case 72:
        if (s_registration_check()) s_capture_opts_order_prints();
    case 73:
        if (s_registration_check()) s_capture_opts_dest_list(0);
    case 74, 86:
        s_myalbums_top_level_list(0);
    case 76:
        if (s_registration_check()) s_capture_opts_send_to_contacts();
    case 77:
        if (s_registration_check()) s_capture_upload(event);
    case 78:
        if (s_registration_check()) {
            _copy_oem_contacts_to_global_contact_container();
            s_capopts_open_closer(g_sendto);
        }
    case 79:
        s_deleter(event);
    case 80:
        album = _local_album_summary_for_storage_location(
            _media_storage_area_to_storage_location(_ev_cracker(0, event)));
        s_myalbums_top_level_list(album);
    case 81, 95, 98:
        if (s_registration_check()) s_gents_media_selection_menu(g_sendto, 0, 0);
    case 82:
        fav_view_media();
    case 83, 88:
        s_browse_threads();
    case 87:
        if (s_registration_check()) {
            _reset_global_contacts();
            s_global_pics_print_where();
        }
    case 93:
        s_picker_top_level(1);
    case 94:
        s_picker_top_level(0);
    case 96, 99:
        _print("Not done");
    case 97:
        if (s_registration_check()) s_gents_contact_chooser();
    case 100:
        s_dpop_you_have_mail(event);
    case 101:
        if (s_registration_check()) s_show_message_by_id_summary_getter(_get_message_id(event));
        _enqueue_return_to_idle();
    case 102:
        s_mbox_browse_threaded(_get_thread_address(event), 1, 1);
        _enqueue_return_to_idle();
    case 103:
        if (s_registration_check()) s_add_cool_sites();
    case 104:
        s_global_dest_launcher(event);
    case 107:
        enqueue_account_management_url();
    case 108:
        enqueue_media_browse_url();
    case 109:
        if (_is_msg_new(event) || _show_non_new_message_summaries()) s_dpop_you_have_mail(event);
    case 112:
        s_popup_get_password(event);
    case 113:
        s_popup_info_alert(event);
    case 114:
        s_popup_pending_send_failed(event);
    case 115:
        s_dpop_data_charge(event);
    default:
        // 69, 84, 85, 89 to 92, 105, 106, 110, 111, 116 and anything else
        _print("Unknown launch command ", code);
    }
    return g_result;
}
