// Dispatch of the activity codes that the menu and the engine post.

function 1 main(code, event) {
    var album;
    g_result = 0;
    g_activity = code;
    switch (code) {
    case kActivityFavoriteAlbum:
        s_fav_add_my_albums();
    case kActivityCameraReviewMedia, kActivityCaptureReviewMedia:
        rspix();
    case kActivityCapturePrint:
        if (s_registration_check()) s_capture_opts_order_prints();
    case kActivityCapturePostToService:
        if (s_registration_check()) s_capture_opts_dest_list(0);
    case 74, kActivityMyAlbums:
        s_myalbums_top_level_list(0);
    case kActivityCaptureSendToContacts:
        if (s_registration_check()) s_capture_opts_send_to_contacts();
    case kActivityCaptureUpload:
        if (s_registration_check()) s_capture_upload(event);
    case kActivityCaptureVoiceSend:
        if (s_registration_check()) {
            _copy_oem_contacts_to_global_contact_container();
            s_capopts_open_closer(g_sendto);
        }
    case kActivityDeleteMedia:
        s_deleter(event);
    case kActivityBrowseMedia:
        album = _local_album_summary_for_storage_location(
            _media_storage_area_to_storage_location(_ev_cracker(kCrackPayloadWord, event)));
        s_myalbums_top_level_list(album);
    case 81, kActivitySendToContacts, kActivitySendSms:
        if (s_registration_check()) s_gents_media_selection_menu(g_sendto, kComposeWithMedia, 0);
    case kActivityFavorite:
        fav_view_media();
    case kActivityMessagingTessel, kActivityPicturesTessel:
        s_browse_threads();
    case kActivityPrint:
        if (s_registration_check()) {
            _reset_global_contacts();
            s_global_pics_print_where();
        }
    case kActivitySelectMedia:
        s_picker_top_level(1);
    case kActivityScreenSaverMedia:
        s_picker_top_level(0);
    case 96, 99:
        _print("Not done");
    case kActivitySendToGeneric:
        if (s_registration_check()) s_gents_contact_chooser();
    case kActivityYouHaveMail:
        s_dpop_you_have_mail(event);
    case kActivityShowMessage:
        if (s_registration_check()) s_show_message_by_id_summary_getter(_get_message_id(event));
        _enqueue_return_to_idle();
    case kActivityShowThread:
        s_mbox_browse_threaded(_get_thread_address(event), 1, 1);
        _enqueue_return_to_idle();
    case kActivityAddCoolSites:
        if (s_registration_check()) s_add_cool_sites();
    case kActivityCoolSite:
        s_global_dest_launcher(event);
    case kActivityAccountInfo:
        enqueue_account_management_url();
    case kActivityMediaBrowseInfo:
        enqueue_media_browse_url();
    case kActivityNewMessage:
        if (_is_msg_new(event) || _show_non_new_message_summaries()) s_dpop_you_have_mail(event);
    case kActivityPasswordPrompt:
        s_popup_get_password(event);
    case kActivityChoicePrompt:
        s_popup_info_alert(event);
    case kActivitySendFailed:
        s_popup_pending_send_failed(event);
    case kActivityDataCharge:
        s_dpop_data_charge(event);
    default:
        // 69, 84, 85, 89 to 92, 105, 106, 110, 111, 116 and anything else
        _print("Unknown launch command ", code);
    }
    return g_result;
}
