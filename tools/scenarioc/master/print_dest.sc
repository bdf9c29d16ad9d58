// Print and destination flows, and the capture options that send or upload the
// last captured media.

screen function 32 s_global_pics_print_where() {
    @switch_to_uijob(20);
    _reset_global_contacts();
    @uij_set("menu_type_id", 0);
    @uijob_go();
    wait {
    case 39: if (s_global_pics_print_tl(g_print_by_mail)) return 0;
    case 38: if (s_global_pics_print_dest_list(g_prints_at_retail)) return 0;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 33 s_global_pics_print_dest_list(category) {
    @switch_to_uijob(5);
    _reset_global_contacts();
    if (category) @uij_set("category", category);
    @uijob_go();
    wait {
    case 10: if (s_global_pics_print_tl(@uij_get("selected_scenario"))) return 1;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 34 s_global_pics_print_tl(scenario) {
    @switch_to_uijob(45);
    @uijob_go();
    wait {
    case 51: if (s_global_pics_print_oap(scenario)) return 1;
    case 50: if (s_global_pics_print_lmp(@uij_get("album_summary"), scenario)) return 1;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 35 s_global_pics_print_oap(scenario) {
    @switch_to_uijob(37);
    @uijob_go();
    wait {
    case 10: if (s_global_pics_print_omp(@uij_get("picked_album_element"), scenario)) return 1;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 36 s_global_pics_print_omp(album, scenario) {
    @switch_to_uijob(39);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case 10:
        if (s_generic_composer(scenario, 0, 1, album, 0) == 1) return 1;
        _set_resume_event(13);
    case 8: return 0;
    case 9: halt;
    }
}

screen function 37 s_global_pics_print_lmp(album, scenario) {
    @switch_to_uijob(15);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case 10:
        if (s_generic_composer(scenario, 0, _get_storage_location_from_album(album), album, 0) == 1) return 1;
        _set_resume_event(13);
    case 8: return 0;
    case 9: halt;
    }
}

screen function 38 s_add_cool_sites() {
    @switch_to_uijob(5);
    @uij_set("add_cool_sites", 1);
    @uijob_go();
    wait {
    case 10: return 1;
    case 8: return 0;
    case 9: halt;
    }
}

// The activity event's text is the cool site's id, used as a scenario name.
screen function 39 s_global_dest_launcher(event) {
    var id, s;
    @switch_to_uijob(43);
    @uijob_go();
    id = _ev_cracker(1, event);
    s = _load_scenario(id);
    _send_to_uijob(10);
    wait {
    case 10:
        if (s_registration_check()) {
            if (_has_config_scenario(s)) {
                s_global_configured_dest_launcher(id);
            } else {
                _print("This site does not have config scenario going to media picker ", id);
                s_gents_media_selection_menu(id, 0, 0);
            }
        }
        return 0;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 40 s_global_configured_dest_launcher(scenario) {
    var s, cs;
    @switch_to_uijob(20);
    @uij_set("scenario", scenario);
    s = _load_scenario(scenario);
    if (!_destination_url_check(s)) {
        @uij_set("menu_type_id", 3);
        _print("s_global_configured_dest_launcher - MLL_NOBROWSER_DEST_LAUNCHER");
    } else {
        @uij_set("menu_type_id", 2);
        _print("s_global_configured_dest_launcher - MLL_DEST_LAUNCHER");
    }
    @uijob_go();
    cs = _get_config_scenario(s);
    _send_to_uijob(10);
    _print("s_global_configured_dest_launcher - config scenario: ", cs);
    wait {
    case 61:
        if (_config_scenario_url_check(s)) {
            _launch_browser_uri_location(cs);
            _refresh_destlist();
            s_registration_check();
            return 1;
        }
        if (s_registration_check()) {
            if (s_generic_composer(cs, 3, 0, 0, scenario) == 1) {
                s_registration_check();
                return 1;
            }
            _set_resume_event(12);
        }
    case 62:
        if (_is_scenario_configured(s)) {
            if (s_gents_media_selection_menu(scenario, 0, 0)) return 1;
            _set_resume_event(12);
        } else if (_config_scenario_url_check(s)) {
            _launch_browser_uri_location(cs);
            _refresh_destlist();
            s_registration_check();
            return 1;
        } else {
            _print("scenario is not configured calling s_generic_composer");
            if (s_generic_composer(cs, 3, 0, 0, scenario) == 1) {
                s_registration_check();
                return 1;
            }
            _set_resume_event(12);
        }
    case 63:
        _launch_browser_dest_location(s);
        halt;
    case 64: return 0;
    case 10: return 1;
    case 8: return 0;
    case 9: halt;
    }
}

// Reached by activity 77; the event itself is not used.
screen function 41 s_capture_upload(event) {
    var d;
    @switch_to_uijob(43);
    @uijob_go();
    _send_to_uijob(10);
    wait {
    case 10:
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
    case 8: return 0;
    case 9: halt;
    }
}

screen function 42 s_capture_opts_upload() {
    var album;
    @switch_to_uijob(20);
    _reset_global_contacts();
    @uij_set("menu_type_id", 1);
    @uijob_go();
    wait {
    case 42:
        album = s_lmbrow_online_picker();
        if (album) {
            s_capopts_upload_open_closer(album, 0);
            return 0;
        }
    case 41:
        s_capopts_upload_open_closer(g_my_uploads, 0);
        return 0;
    case 8: return 0;
    case 9: halt;
    }
}

// The storage-location job sends only 7 and 10.
screen function 43 s_capopts_upload_open_closer(target, use_scenario) {
    var s, album, cs;
    @switch_to_uijob(1);
    @uij_set("storage_location", _get_capture_album_location());
    @uijob_go();
    wait {
    case 10:
        if (!s_getter_selector()) return 0;
        if (!use_scenario) {
            s_capopts_uploader(target);
            return 0;
        }
        s = _load_scenario(target);
        album = _local_album_summary_for_storage_location(@uij_get("storage_location"));
        if (_is_scenario_configured(s)) {
            s_generic_composer(target, 0, @uij_get("storage_location"), album, 0);
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
            if (s_generic_composer(cs, 3, 0, 0, 0) == 1) {
                _refresh_destlist();
                s_registration_check();
                s_generic_composer(target, 0, @uij_get("storage_location"), album, 0);
            }
        }
        return 0;
    case 7: return 0;
    }
}

screen function 44 s_capopts_uploader(target) {
    @switch_to_uijob(18);
    if (target == g_my_uploads) @uij_set("dest_album", "");
    else @uij_set("dest_album", target);
    @uijob_go();
    wait {
    case 8, 10: return 0;
    case 9: halt;
    }
}

screen function 45 s_capture_opts_order_prints() {
    @switch_to_uijob(20);
    _reset_global_contacts();
    @uij_set("menu_type_id", 0);
    @uijob_go();
    wait {
    case 39: if (s_capopts_open_closer(g_print_by_mail)) return 0;
    case 38: if (s_capture_opts_dest_list(g_prints_at_retail)) return 0;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 46 s_capture_opts_dest_list(category) {
    @switch_to_uijob(5);
    _reset_global_contacts();
    if (category) @uij_set("category", category);
    @uij_set("add_cool_sites", 0);
    @uijob_go();
    wait {
    case 10: return s_capopts_open_closer(@uij_get("selected_scenario"));
    case 8: return 0;
    case 9: halt;
    }
}

screen function 47 s_capture_opts_send_to_contacts() {
    @switch_to_uijob(4);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case 10: return s_capopts_open_closer(g_sendto);
    case 8: return 0;
    case 9: halt;
    }
}

// The storage-location job sends only 7 and 10.
screen function 48 s_capopts_open_closer(scenario) {
    @switch_to_uijob(1);
    @uij_set("storage_location", _get_capture_album_location());
    @uijob_go();
    wait {
    case 10:
        if (s_getter_selector()) {
            if (s_generic_composer(scenario, 0, _get_capture_album_location(), 0, 0) == 1) return 1;
            return 0;
        }
        halt;
    case 7: halt;
    }
}

// Job 17 sends only 7 and 10.
screen function 49 s_getter_selector() {
    @switch_to_uijob(17);
    @uijob_go();
    wait {
    case 10: return 1;
    case 7: return 0;
    }
}
