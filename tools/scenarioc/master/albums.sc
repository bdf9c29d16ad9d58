// Album, picker and favorite flows.

screen function 50 s_picker_top_level(local_only) {
    @switch_to_uijob(45);
    @uij_set("local_show_only", local_only);
    @uijob_go();
    wait {
    case 51:
        if (s_registration_check()) {
            if (s_picker_online_album()) return 0;
        }
    case 50: if (s_picker_local_media(@uij_get("album_summary"))) return 0;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 51 s_picker_online_album() {
    @switch_to_uijob(37);
    @uijob_go();
    wait {
    case 10: if (s_picker_online_media(@uij_get("picked_album_element"))) return 1;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 52 s_picker_online_media(album) {
    @switch_to_uijob(39);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case 10: return 1;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 53 s_picker_local_media(album) {
    @switch_to_uijob(15);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case 10: return 1;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 54 s_fav_add_my_albums() {
    @switch_to_uijob(45);
    @uijob_go();
    wait {
    case 50: s_fav_add_my_albums_assigner(@uij_get("album_summary"));
    case 8: return 0;
    case 9: halt;
    }
}

screen function 55 s_fav_add_my_albums_assigner(album) {
    @switch_to_uijob(12);
    @uij_set("favorite_position", @vxl_get("favorite_position"));
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case 8: return 0;
    case 9, 10: halt;
    }
}

// Unlike the other flows, 9 returns here instead of halting.
screen function 57 s_fav_review_send_favorite(album) {
    @switch_to_uijob(8);
    @uij_set("album_summary", album);
    @uij_set("favorite_position", @vxl_get("favorite_position"));
    @uijob_go();
    wait {
    case 27:
        if (s_registration_check()) {
            if (!s_lmbrow_contact_chooser(album)) _set_resume_event(13);
        } else {
            _set_resume_event(13);
        }
    case 43:
        if (s_registration_check()) {
            if (!s_lmbrow_dest_list(0, album)) _set_resume_event(13);
        } else {
            _set_resume_event(13);
        }
    case 58:
        if (s_registration_check()) {
            _copy_oem_contacts_to_global_contact_container();
            s_generic_composer(g_sendto, 0, _get_storage_location_from_album(album), 0, 0);
        }
    case 22: s_myalbums_top_level_list(0);
    case 36:
        _print("Eh? PICK ALBUM received");
        _set_resume_event(12);
    case 37: if (!s_lmbrow_print(album)) _set_resume_event(13);
    case 40: @uij_set("media_id", s_lmbrow_upload_where());
    case 8, 9, 10: return 0;
    }
}

screen function 58 s_myalbums_top_level_list(preselected_album) {
    @switch_to_uijob(45);
    @uij_set("preselected_album", preselected_album);
    @uijob_go();
    wait {
    case 51: if (s_registration_check()) s_online_top_level(@uij_get("album_summary"));
    case 50: s_lmbrow_media_browser(@uij_get("album_summary"), 1);
    case 8: return 0;
    case 9: halt;
    }
}

// The album parameter is not used.
screen function 59 s_online_top_level(album) {
    @switch_to_uijob(36);
    @uijob_go();
    wait {
    case 49: s_ombrow_media_browser(@uij_get("album_summary"));
    case 27:
        if (!s_ombrow_contact_chooser(@uij_get("album_summary"), g_album_sendto, 2)) _set_resume_event(13);
    case 8: return 0;
    case 9: halt;
    }
}

screen function 60 s_ombrow_media_browser(album) {
    var picked;
    @switch_to_uijob(38);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case 27:
        if (!s_ombrow_contact_chooser(@uij_get("album_summary"), g_sendto, 0)) _set_resume_event(13);
    case 43:
        if (s_registration_check()) {
            if (!s_lmbrow_dest_list(0, @uij_get("album_summary"))) _set_resume_event(13);
        } else {
            _set_resume_event(13);
        }
    case 58:
        _copy_oem_contacts_to_global_contact_container();
        if (!s_generic_composer(g_sendto, 0, 1, @uij_get("album_summary"), 0)) _set_resume_event(13);
    case 36:
        picked = s_lmbrow_online_picker();
        _print("pe_pick_album szAlbumId=", picked);
        if (!picked) _set_resume_event(13);
        else @uij_set("album_id", picked);
    case 67: s_ombrow_upload_destination(album);
    case 37: if (!s_lmbrow_print(@uij_get("album_summary"))) _set_resume_event(13);
    case 8, 10, 22: return 0;
    case 9: halt;
    }
}

screen function 61 s_ombrow_contact_chooser(album, scenario, op) {
    @switch_to_uijob(4);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case 10: if (s_generic_composer(scenario, op, 1, album, album)) return 1;
    case 8: return 0;
    case 9: halt;
    }
}

// The album parameter is not used.
screen function 62 s_ombrow_upload_destination(album) {
    var p, n, cs;
    @switch_to_uijob(46);
    @uij_set("bUploads", 0);
    @uijob_go();
    wait {
    case 65: if (s_registration_check()) s_add_cool_sites();
    case 66:
        p = @uij_get("pScenario");
        n = @uij_get("szScenario");
        _print("on PE_COOL_SITE: szScenario = ", n);
        if (_is_scenario_configured(p)) {
            s_global_configured_dest_launcher(n);
        } else {
            cs = _get_config_scenario(p);
            _print("My Config Scenario is ", cs);
            if (_config_scenario_url_check(p)) {
                _launch_browser_uri_location(cs);
                _refresh_destlist();
                s_registration_check();
                return 1;
            }
            _print("scenario is not configured calling s_generic_composer");
            if (s_generic_composer(cs, 3, 0, 0, n)) {
                s_registration_check();
                return 1;
            }
            return 0;
        }
    case 8: return 0;
    case 9: halt;
    }
}

screen function 63 s_lmbrow_media_browser(album, upload_allowed) {
    var u, r, w, d, s, cs;
    @switch_to_uijob(13);
    u = upload_allowed;
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case 27:
        if (s_registration_check()) {
            if (!s_lmbrow_contact_chooser(album)) _set_resume_event(13);
        } else {
            _set_resume_event(13);
        }
    case 43:
        if (s_registration_check()) {
            if (!s_lmbrow_dest_list(0, album)) _set_resume_event(13);
        } else {
            _set_resume_event(13);
        }
    case 58:
        if (s_registration_check()) {
            _copy_oem_contacts_to_global_contact_container();
            r = s_generic_composer(g_sendto, 0, _get_storage_location_from_album(album), album, 0);
            // 17: the composer was left for good, so the browser is left too.
            if (r == 17) _send_self(8);
            else if (r == 0) _set_resume_event(13);
        }
    case 22:
        // Back to the album list this browser was opened from, or a new one.
        _return_to("s_myalbums_top_level_list", 0);
        s_myalbums_top_level_list(0);
    case 36: _assert(0);
    case 37: if (!s_lmbrow_print(album)) _set_resume_event(13);
    case 67:
        _print("CHOOSE_UPLOAD DEST: bUploadDestination = ", u);
        if (_is_3rd_party_upload_supported() && u) {
            d = s_lmbrow_upload_destination();
            if (!d) {
                _set_resume_event(13);
            } else if (d == g_my_uploads) {
                @uij_set("album_id", "");
            } else {
                s = _load_scenario(d);
                if (_is_scenario_configured(s)) {
                    if (s_generic_composer(d, 0, _get_storage_location_from_album(album), album, 0) == 1)
                        _set_resume_event(6);
                    else
                        _set_resume_event(13);
                } else {
                    cs = _get_config_scenario(s);
                    _print("My Config Scenario is ", cs);
                    if (_config_scenario_url_check(s)) {
                        _launch_browser_uri_location(cs);
                        _refresh_destlist();
                        s_registration_check();
                    } else if (s_registration_check()) {
                        if (s_generic_composer(cs, 3, 0, 0, 0) == 1) {
                            _refresh_destlist();
                            s_registration_check();
                            _set_resume_event(12);
                        } else {
                            _set_resume_event(13);
                        }
                    }
                }
            }
        } else {
            // The next wait returns 40: choose where to upload instead.
            _send_self(40);
        }
    case 40:
        if (s_registration_check()) {
            w = s_lmbrow_upload_where();
            _print("Got szAlbumId=", w);
            if (!w) {
                _print("Not szAlbumId set");
                _set_resume_event(13);
            } else {
                _print("Should be CE_RESUME");
                if (w == g_my_uploads) @uij_set("album_id", "");
                else @uij_set("album_id", w);
            }
        }
    case 8, 10: return 0;
    case 9: halt;
    }
}

screen function 64 s_lmbrow_contact_chooser(album) {
    @switch_to_uijob(4);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case 10:
        if (s_generic_composer(g_sendto, 0, _get_storage_location_from_album(album), 0, 0) == 0)
            _set_resume_event(12);
        else
            return 1;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 65 s_lmbrow_dest_list(category, album) {
    @switch_to_uijob(5);
    if (category) @uij_set("category", category);
    @uijob_go();
    wait {
    case 10:
        if (s_generic_composer(@uij_get("selected_scenario"), 0, _get_storage_location_from_album(album), album, 0) == 1)
            return 1;
        return 0;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 66 s_lmbrow_print(album) {
    @switch_to_uijob(20);
    _reset_global_contacts();
    @uij_set("menu_type_id", 0);
    @uijob_go();
    wait {
    case 39:
        if (s_registration_check()) {
            if (s_generic_composer(g_print_by_mail, 0, _get_storage_location_from_album(album), album, 0) == 1)
                return 1;
            return 0;
        }
    case 38:
        if (s_registration_check()) {
            if (s_lmbrow_dest_list(g_prints_at_retail, album)) return 1;
        }
    case 8: return 0;
    case 9: halt;
    }
}

// Returns a scenario name, the "my uploads" marker, or 0 when left.
screen function 67 s_lmbrow_upload_destination() {
    var n;
    @switch_to_uijob(46);
    @uij_set("bUploads", 1);
    @uijob_go();
    wait {
    case 65: if (s_registration_check()) s_add_cool_sites();
    case 62: return g_my_uploads;
    case 66:
        n = @uij_get("szScenario");
        _print("on PE_COOL_SITE: szScenario = ", n);
        return n;
    case 8: return 0;
    case 9: halt;
    }
}

// Returns an album id, the "my uploads" marker, or the empty text when left.
screen function 68 s_lmbrow_upload_where() {
    @switch_to_uijob(20);
    @uij_set("menu_type_id", 1);
    @uijob_go();
    wait {
    case 42: return s_lmbrow_online_picker();
    case 41: return g_my_uploads;
    case 8: return "";
    case 9: halt;
    }
}

screen function 69 s_lmbrow_online_picker() {
    @switch_to_uijob(37);
    @uij_set("allow_create_album", 1);
    @uijob_go();
    wait {
    case 10:
        _print("ONLINE ALBUM PICKER picked_album_id=", @uij_get("picked_album_id"));
        return @uij_get("picked_album_id");
    case 8: return "";
    case 9: halt;
    }
}

screen function 71 s_deleter(event) {
    @switch_to_uijob(14);
    @uij_set("album_summary", _local_album_summary_for_storage_location(
        _media_storage_area_to_storage_location(_ev_cracker(0, event))));
    @uijob_go();
    wait {
    case 8, 10: return 0;
    case 9: halt;
    }
}
