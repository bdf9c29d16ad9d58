// Print and destination flows, and the capture options that send or upload the
// last captured media.

screen function 32 s_global_pics_print_where() {
    @switch_to_uijob(kMenuChoiceJobType);
    _reset_global_contacts();
    @uij_set("menu_type_id", kMenuTypePrint);
    @uijob_go();
    wait {
    case kEvHomeDelivery: if (s_global_pics_print_tl(g_print_by_mail)) return 0;
    case kEvRetailPickup: if (s_global_pics_print_dest_list(g_prints_at_retail)) return 0;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 33 s_global_pics_print_dest_list(category) {
    @switch_to_uijob(kDestinationChooserJobType);
    _reset_global_contacts();
    if (category) @uij_set("category", category);
    @uijob_go();
    wait {
    case kEvDone: if (s_global_pics_print_tl(@uij_get("selected_scenario"))) return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 34 s_global_pics_print_tl(scenario) {
    @switch_to_uijob(kPreselectedAlbumJobType);
    @uijob_go();
    wait {
    case kEvOnlineAlbum: if (s_global_pics_print_oap(scenario)) return 1;
    case kEvLocalAlbum: if (s_global_pics_print_lmp(@uij_get("album_summary"), scenario)) return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 35 s_global_pics_print_oap(scenario) {
    @switch_to_uijob(kAlbumPickerJobType);
    @uijob_go();
    wait {
    case kEvDone: if (s_global_pics_print_omp(@uij_get("picked_album_element"), scenario)) return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 36 s_global_pics_print_omp(album, scenario) {
    @switch_to_uijob(kOnlineMediaPickerJobType);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvDone:
        if (s_generic_composer(scenario, kComposeWithMedia, kLocationKindOnline, album, 0) == 1) return 1;
        _set_resume_event(kResumeAbandoned);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 37 s_global_pics_print_lmp(album, scenario) {
    @switch_to_uijob(kLocalMediaPickerJobType);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvDone:
        if (s_generic_composer(scenario, kComposeWithMedia, _get_storage_location_from_album(album), album, 0) == 1) return 1;
        _set_resume_event(kResumeAbandoned);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 38 s_add_cool_sites() {
    @switch_to_uijob(kDestinationChooserJobType);
    @uij_set("add_cool_sites", 1);
    @uijob_go();
    wait {
    case kEvDone: return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// The activity event's text is the cool site's id, used as a scenario name.
screen function 39 s_global_dest_launcher(event) {
    var id, s;
    @switch_to_uijob(kSpinnerJobType);
    @uijob_go();
    id = _ev_cracker(kCrackPayloadText, event);
    s = _load_scenario(id);
    _send_to_uijob(kEvDone);
    wait {
    case kEvDone:
        if (s_registration_check()) {
            if (_has_config_scenario(s)) {
                s_global_configured_dest_launcher(id);
            } else {
                _print("This site does not have config scenario going to media picker ", id);
                s_gents_media_selection_menu(id, kComposeWithMedia, 0);
            }
        }
        return 0;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 40 s_global_configured_dest_launcher(scenario) {
    var s, cs;
    @switch_to_uijob(kMenuChoiceJobType);
    @uij_set("scenario", scenario);
    s = _load_scenario(scenario);
    if (!_destination_url_check(s)) {
        @uij_set("menu_type_id", kMenuTypeNoBrowserDestLauncher);
        _print("s_global_configured_dest_launcher - MLL_NOBROWSER_DEST_LAUNCHER");
    } else {
        @uij_set("menu_type_id", kMenuTypeDestLauncher);
        _print("s_global_configured_dest_launcher - MLL_DEST_LAUNCHER");
    }
    @uijob_go();
    cs = _get_config_scenario(s);
    _send_to_uijob(kEvDone);
    _print("s_global_configured_dest_launcher - config scenario: ", cs);
    wait {
    case kEvEditSetup:
        if (_config_scenario_url_check(s)) {
            _launch_browser_uri_location(cs);
            _refresh_destlist();
            s_registration_check();
            return 1;
        }
        if (s_registration_check()) {
            if (s_generic_composer(cs, kComposeConfigure, 0, 0, scenario) == 1) {
                s_registration_check();
                return 1;
            }
            _set_resume_event(kResumeAfterSubflow);
        }
    case kEvUpload:
        if (_is_scenario_configured(s)) {
            if (s_gents_media_selection_menu(scenario, kComposeWithMedia, 0)) return 1;
            _set_resume_event(kResumeAfterSubflow);
        } else if (_config_scenario_url_check(s)) {
            _launch_browser_uri_location(cs);
            _refresh_destlist();
            s_registration_check();
            return 1;
        } else {
            _print("scenario is not configured calling s_generic_composer");
            if (s_generic_composer(cs, kComposeConfigure, 0, 0, scenario) == 1) {
                s_registration_check();
                return 1;
            }
            _set_resume_event(kResumeAfterSubflow);
        }
    case kEvLaunchBrowser:
        _launch_browser_dest_location(s);
        halt;
    case kEvLauncherCancel: return 0;
    case kEvDone: return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// Reached by kActivityCaptureUpload; the event itself is not used.
screen function 41 s_capture_upload(event) {
    var d;
    @switch_to_uijob(kSpinnerJobType);
    @uijob_go();
    _send_to_uijob(kEvDone);
    wait {
    case kEvDone:
        if (_is_3rd_party_upload_supported()) {
            d = s_lmbrow_upload_destination();
            if (!d) return 0;
            if (d == g_my_uploads) {
                s_capopts_upload_open_closer(g_my_uploads, 0);
                return 0;
            }
            s_capopts_upload_open_closer(d, 1);
            return 0;
        }
        s_capture_opts_upload();
        return 0;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 42 s_capture_opts_upload() {
    var album;
    @switch_to_uijob(kMenuChoiceJobType);
    _reset_global_contacts();
    @uij_set("menu_type_id", kMenuTypeUploads);
    @uijob_go();
    wait {
    case kEvMyAlbums:
        album = s_lmbrow_online_picker();
        if (album) {
            s_capopts_upload_open_closer(album, 0);
            return 0;
        }
    case kEvMyUploads:
        s_capopts_upload_open_closer(g_my_uploads, 0);
        return 0;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// The storage-location job sends only kEvFailed and kEvDone.
screen function 43 s_capopts_upload_open_closer(target, use_scenario) {
    var s, album, cs;
    @switch_to_uijob(kStorageLocationJobType);
    @uij_set("storage_location", _get_capture_album_location());
    @uijob_go();
    wait {
    case kEvDone:
        if (!s_getter_selector()) return 0;
        if (!use_scenario) {
            s_capopts_uploader(target);
            return 0;
        }
        s = _load_scenario(target);
        album = _local_album_summary_for_storage_location(@uij_get("storage_location"));
        if (_is_scenario_configured(s)) {
            s_generic_composer(target, kComposeWithMedia, @uij_get("storage_location"), album, 0);
            return 0;
        }
        cs = _get_config_scenario(s);
        _print("My Config Scenario is ", cs);
        if (_config_scenario_url_check(s)) {
            _launch_browser_uri_location(cs);
            _refresh_destlist();
            s_registration_check();
            return 0;
        }
        if (s_registration_check()) {
            if (s_generic_composer(cs, kComposeConfigure, 0, 0, 0) == 1) {
                _refresh_destlist();
                s_registration_check();
                s_generic_composer(target, kComposeWithMedia, @uij_get("storage_location"), album, 0);
            }
        }
        return 0;
    case kEvFailed: return 0;
    }
}

screen function 44 s_capopts_uploader(target) {
    @switch_to_uijob(kDestAlbumJobType);
    if (target == g_my_uploads) @uij_set("dest_album", "");
    else @uij_set("dest_album", target);
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}

screen function 45 s_capture_opts_order_prints() {
    @switch_to_uijob(kMenuChoiceJobType);
    _reset_global_contacts();
    @uij_set("menu_type_id", kMenuTypePrint);
    @uijob_go();
    wait {
    case kEvHomeDelivery: if (s_capopts_open_closer(g_print_by_mail)) return 0;
    case kEvRetailPickup: if (s_capture_opts_dest_list(g_prints_at_retail)) return 0;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 46 s_capture_opts_dest_list(category) {
    @switch_to_uijob(kDestinationChooserJobType);
    _reset_global_contacts();
    if (category) @uij_set("category", category);
    @uij_set("add_cool_sites", 0);
    @uijob_go();
    wait {
    case kEvDone: return s_capopts_open_closer(@uij_get("selected_scenario"));
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 47 s_capture_opts_send_to_contacts() {
    @switch_to_uijob(kContactChooserJobType);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case kEvDone: return s_capopts_open_closer(g_sendto);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// The storage-location job sends only kEvFailed and kEvDone.
screen function 48 s_capopts_open_closer(scenario) {
    @switch_to_uijob(kStorageLocationJobType);
    @uij_set("storage_location", _get_capture_album_location());
    @uijob_go();
    wait {
    case kEvDone:
        if (s_getter_selector()) {
            if (s_generic_composer(scenario, kComposeWithMedia, _get_capture_album_location(), 0, 0) == 1) return 1;
            return 0;
        }
        halt;
    case kEvFailed: halt;
    }
}

// The capture hand-over job sends only kEvFailed and kEvDone.
screen function 49 s_getter_selector() {
    @switch_to_uijob(kCaptureHandOverJobType);
    @uijob_go();
    wait {
    case kEvDone: return 1;
    case kEvFailed: return 0;
    }
}
