// Notification and popup flows, and the plain functions that open a flow or
// queue a request without a screen of their own.

function 56 fav_view_media() {
    var album;
    album = _local_album_summary_for_storage_location(_get_capture_album_location());
    s_fav_review_send_favorite(album);
    return 0;
}

function 70 rspix() {
    var album;
    album = _local_album_summary_for_storage_location(_get_default_local_album_location());
    s_lmbrow_media_browser(album, 1);
    return 0;
}

// The request is queued even when the address is still empty.
function 77 enqueue_account_management_url() {
    var url;
    url = _get_internal_config(kInternalConfigAccountMgmt);
    if (url == "" && s_registration_check()) {
        url = _get_internal_config(kInternalConfigAccountMgmt);
        if (url == "") _print("account management url is missing - even after reg check");
    }
    _enq_process_url_request_activity(url);
    return 0;
}

function 78 enqueue_media_browse_url() {
    var url;
    url = _get_internal_config(kInternalConfigMediaBrowse);
    if (url == "" && s_registration_check()) {
        url = _get_internal_config(kInternalConfigMediaBrowse);
        if (url == "") _print("account management url is missing - even after reg check");
    }
    _enq_process_url_request_activity(url);
    return 0;
}

// The activity event goes on to the job, which completes it.
screen function 79 s_dpop_you_have_mail(event) {
    @switch_to_uijob(kMessageSummaryJobType);
    @uijob_go();
    _fwd_to_uijob(event);
    wait {
    case kEvViewInbox: if (s_registration_check()) s_mbox_view_inbox(@uij_get("message_summary"), 1);
    case kEvViewPremium: if (s_registration_check()) s_mbox_view_premium(@uij_get("message_summary"));
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 80 s_dpop_data_charge(event) {
    @switch_to_uijob(kMessageSummaryJobType);
    @uijob_go();
    _fwd_to_uijob(event);
    wait {
    case kEvBack, kEvExit, kEvDone: halt;
    }
}

// The popups' exit values end a nested run with kSignalBack (left) or
// kSignalExit (ended).
screen function 81 s_popup_get_password(event) {
    @switch_to_uijob(kPasswordJobType);
    @uij_set("password_event", event);
    @uijob_go();
    wait {
    case kEvDone: return 0;
    case kEvBack: exit kSignalBack;
    case kEvExit: exit kSignalExit;
    }
}

screen function 82 s_popup_info_alert(event) {
    @switch_to_uijob(kAlertChoiceJobType);
    @uij_set("ia_event", event);
    @uijob_go();
    wait {
    case kEvDone: return 0;
    case kEvBack: exit kSignalBack;
    case kEvExit: exit kSignalExit;
    }
}

screen function 83 s_popup_pending_send_failed(event) {
    @switch_to_uijob(kFailureJobType);
    @uij_set("fail_event", event);
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: exit kSignalExit;
    }
}

screen function 84 s_registration_check() {
    @switch_to_uijob(kDestListRefreshJobType);
    @uijob_go();
    wait {
    case kEvDone: return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}
