// Send flows: choosing media and composing. s_generic_composer takes the
// scenario, the composer operation (kCompose...), the storage location
// (kLocationKindOnline for online media), the album summary or 0, and an extra
// value for the operation.

screen function 24 s_gents_contact_chooser() {
    var r;
    @switch_to_uijob(kContactChooserJobType);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case kEvDone:
        r = s_gents_media_selection_menu(g_sendto, kComposeWithMedia, 0);
        if (!r) _set_resume_event(kResumeAfterSubflow);
        else return r;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 25 s_gents_media_selection_menu(scenario, op, extra) {
    var s, r;
    @switch_to_uijob(kScenarioSupportJobType);
    s = _load_scenario(scenario);
    @uij_set("supports_image", _scenario_supports_image(s));
    @uij_set("supports_video", _scenario_supports_video(s));
    @uij_set("supports_txtonly", _scenario_supports_txtonly(s));
    @uijob_go();
    wait {
    case kEvOnlineAlbum:
        r = s_gents_oat_album_picker(scenario, op, extra);
        if (!r) _set_resume_event(kResumeAfterSubflow);
        else return r;
    case kEvAlbumPicked:
        r = s_gents_lmt_local_media_picker(scenario, op, extra, @uij_get("choice_int"),
            _local_album_summary_for_storage_location(@uij_get("choice_int")));
        if (!r) _set_resume_event(kResumeAfterSubflow);
        else return r;
    case 25:
        r = s_gents_cmt_local_album_open_closer(scenario, op, extra, @uij_get("choice_int"));
        if (!r) _set_resume_event(kResumeAfterSubflow);
        else return r;
    case kEvTextOnly:
        r = s_gents_sst_open_local_album(op, extra, @uij_get("choice_string"));
        if (!r) _set_resume_event(kResumeAfterSubflow);
        else return r;
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}

screen function 26 s_gents_oat_album_picker(scenario, op, extra) {
    @switch_to_uijob(kAlbumPickerJobType);
    _mam_deselect_all();
    @uij_set("allow_create_album", 0);
    @uijob_go();
    wait {
    case kEvDone: return s_gents_oat_media_picker(scenario, op, extra, @uij_get("picked_album_element"));
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 27 s_gents_oat_media_picker(scenario, op, extra, album) {
    var r;
    @switch_to_uijob(kOnlineMediaPickerJobType);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvDone:
        r = s_generic_composer(scenario, op, kLocationKindOnline, album, extra);
        if (r == 0) _set_resume_event(kResumeAbandoned);
        else return r;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 28 s_gents_lmt_local_media_picker(scenario, op, extra, location, album) {
    var r;
    @switch_to_uijob(kLocalMediaPickerJobType);
    _mam_deselect_all();
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvDone:
        r = s_generic_composer(scenario, op, location, album, extra);
        if (!r) _set_resume_event(kResumeAbandoned);
        else return r;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// The storage-location job sends only kEvFailed and kEvDone.
screen function 29 s_gents_cmt_local_album_open_closer(scenario, op, extra, capture_type) {
    @switch_to_uijob(kStorageLocationJobType);
    _mam_deselect_all();
    @uij_set("storage_location", _get_default_local_album_location());
    @uijob_go();
    wait {
    case kEvDone: return s_gents_cmt_capture_media(scenario, op, extra, capture_type);
    case kEvFailed: halt;
    }
}

screen function 30 s_gents_cmt_capture_media(scenario, op, extra, capture_type) {
    @switch_to_uijob(kCaptureTypeJobType);
    @uij_set("capture_type", capture_type);
    @uijob_go();
    wait {
    case kEvDone: return s_generic_composer(scenario, op, _get_capture_album_location(), 0, extra);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 31 s_gents_sst_open_local_album(op, extra, scenario) {
    @switch_to_uijob(kStorageLocationJobType);
    _mam_deselect_all();
    @uij_set("storage_location", _get_default_local_album_location());
    @uijob_go();
    wait {
    case kEvDone: return s_generic_composer(scenario, op, @uij_get("storage_location"), 0, extra);
    case kEvFailed: halt;
    }
}

screen function 72 s_generic_composer(scenario, op, location, album, extra) {
    var locus, picked;
    @switch_to_uijob(kComposeJobType);
    @uij_set("scenario", scenario);
    @uij_set("gc_op", op);
    switch (op) {
    case kComposeFromMessage: @uij_set("message_summary", extra);
    case kComposeAlbumShare: @uij_set("album_share_summary", extra);
    case kComposeConfigure: @uij_set("dest_list_id", extra);
    }
    @uijob_go();
    wait {
    case kEvDone:
        if (op == kComposeConfigure) {
            _refresh_destlist();
            if (s_registration_check()) {
                if (@uij_get("dest_list_id") == 0) return 1;
                s_global_configured_dest_launcher(@uij_get("dest_list_id"));
            }
        }
        return 1;
    case kEvCancel: return kEvCancel;
    case kEvOpenThread:
        s_mbox_browse_threaded(@uij_get("thread_id"), 1, 1);
        return 0;
    case kEvPickRecipients: s_generic_composer_modify_contacts();
    case kEvPickMedia:
        locus = _storage_location_to_locus(location);
        if (locus == kLocationKindStoreKind1 || locus == kLocationKindStoreKind2) {
            // Kept in the parameter for the events that follow.
            if (!album) album = _local_album_summary_for_storage_location(location);
            s_generic_composer_modify_local_media(album);
        } else if (locus == kLocationKindOnline) {
            s_generic_composer_modify_online_media(album);
        } else {
            _print("generic composer: locus is ", locus, " so media modification not allowed");
        }
    case kEvPickAlbum:
        picked = s_online_album_picker();
        if (!picked) _set_resume_event(kResumeAbandoned);
        else @uij_set("album_share_summary", picked);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 73 s_online_album_picker() {
    @switch_to_uijob(kAlbumPickerJobType);
    @uijob_go();
    wait {
    case kEvDone: return @uij_get("picked_album_element");
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 74 s_generic_composer_modify_contacts() {
    @switch_to_uijob(kContactChooserJobType);
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}

screen function 75 s_generic_composer_modify_online_media(album) {
    @switch_to_uijob(kOnlineMediaPickerJobType);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}

screen function 76 s_generic_composer_modify_local_media(album) {
    @switch_to_uijob(kLocalMediaPickerJobType);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}
