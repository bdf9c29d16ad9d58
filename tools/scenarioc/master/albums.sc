// Album, picker and favorite flows.

screen function 50 s_picker_top_level(local_only) {
    @switch_to_uijob(kPreselectedAlbumJobType);
    @uij_set("local_show_only", local_only);
    @uijob_go();
    wait {
    case kEvOnlineAlbum:
        if (s_registration_check()) {
            if (s_picker_online_album()) return 0;
        }
    case kEvLocalAlbum: if (s_picker_local_media(@uij_get("album_summary"))) return 0;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 51 s_picker_online_album() {
    @switch_to_uijob(kAlbumPickerJobType);
    @uijob_go();
    wait {
    case kEvDone: if (s_picker_online_media(@uij_get("picked_album_element"))) return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 52 s_picker_online_media(album) {
    @switch_to_uijob(kOnlineMediaPickerJobType);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvDone: return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 53 s_picker_local_media(album) {
    @switch_to_uijob(kLocalMediaPickerJobType);
    _assert(album);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvDone: return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 54 s_fav_add_my_albums() {
    @switch_to_uijob(kPreselectedAlbumJobType);
    @uijob_go();
    wait {
    case kEvLocalAlbum: s_fav_add_my_albums_assigner(@uij_get("album_summary"));
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 55 s_fav_add_my_albums_assigner(album) {
    @switch_to_uijob(kMediaAssignJobType);
    @uij_set("favorite_position", @vxl_get("favorite_position"));
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvBack: return 0;
    case kEvExit, kEvDone: halt;
    }
}

// Unlike the other flows, kEvExit returns here instead of halting.
screen function 57 s_fav_review_send_favorite(album) {
    @switch_to_uijob(kFavoritePositionJobType);
    @uij_set("album_summary", album);
    @uij_set("favorite_position", @vxl_get("favorite_position"));
    @uijob_go();
    wait {
    case kEvPickRecipients:
        if (s_registration_check()) {
            if (!s_lmbrow_contact_chooser(album)) _set_resume_event(kResumeAbandoned);
        } else {
            _set_resume_event(kResumeAbandoned);
        }
    case kEvPostToService:
        if (s_registration_check()) {
            if (!s_lmbrow_dest_list(0, album)) _set_resume_event(kResumeAbandoned);
        } else {
            _set_resume_event(kResumeAbandoned);
        }
    case kEvVoiceSendToContacts:
        if (s_registration_check()) {
            _copy_oem_contacts_to_global_contact_container();
            s_generic_composer(g_sendto, kComposeWithMedia, _get_storage_location_from_album(album), 0, 0);
        }
    case kEvAlbumList: s_myalbums_top_level_list(0);
    case kEvPickAlbum:
        _print("Eh? PICK ALBUM received");
        _set_resume_event(kResumeAfterSubflow);
    case kEvPrintMedia: if (!s_lmbrow_print(album)) _set_resume_event(kResumeAbandoned);
    case kEvUploadWhere: @uij_set("media_id", s_lmbrow_upload_where());
    case kEvBack, kEvExit, kEvDone: return 0;
    }
}

screen function 58 s_myalbums_top_level_list(preselected_album) {
    @switch_to_uijob(kPreselectedAlbumJobType);
    @uij_set("preselected_album", preselected_album);
    @uijob_go();
    wait {
    case kEvOnlineAlbum: if (s_registration_check()) s_online_top_level(@uij_get("album_summary"));
    case kEvLocalAlbum: s_lmbrow_media_browser(@uij_get("album_summary"), 1);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// The album parameter is not used.
screen function 59 s_online_top_level(album) {
    @switch_to_uijob(kAlbumListJobType);
    @uijob_go();
    wait {
    case kEvAlbumPicked: s_ombrow_media_browser(@uij_get("album_summary"));
    case kEvPickRecipients:
        if (!s_ombrow_contact_chooser(@uij_get("album_summary"), g_album_sendto, kComposeAlbumShare)) _set_resume_event(kResumeAbandoned);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 60 s_ombrow_media_browser(album) {
    var picked;
    @switch_to_uijob(kOnlineMediaBrowseJobType);
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvPickRecipients:
        if (!s_ombrow_contact_chooser(@uij_get("album_summary"), g_sendto, kComposeWithMedia)) _set_resume_event(kResumeAbandoned);
    case kEvPostToService:
        if (s_registration_check()) {
            if (!s_lmbrow_dest_list(0, @uij_get("album_summary"))) _set_resume_event(kResumeAbandoned);
        } else {
            _set_resume_event(kResumeAbandoned);
        }
    case kEvVoiceSendToContacts:
        _copy_oem_contacts_to_global_contact_container();
        if (!s_generic_composer(g_sendto, kComposeWithMedia, kLocationKindOnline, @uij_get("album_summary"), 0)) _set_resume_event(kResumeAbandoned);
    case kEvPickAlbum:
        picked = s_lmbrow_online_picker();
        _print("pe_pick_album szAlbumId=", picked);
        if (!picked) _set_resume_event(kResumeAbandoned);
        else @uij_set("album_id", picked);
    case kEvConfirmUpload: s_ombrow_upload_destination(album);
    case kEvPrintMedia: if (!s_lmbrow_print(@uij_get("album_summary"))) _set_resume_event(kResumeAbandoned);
    case kEvBack, kEvDone, kEvAlbumList: return 0;
    case kEvExit: halt;
    }
}

screen function 61 s_ombrow_contact_chooser(album, scenario, op) {
    @switch_to_uijob(kContactChooserJobType);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case kEvDone: if (s_generic_composer(scenario, op, kLocationKindOnline, album, album)) return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// The album parameter is not used.
screen function 62 s_ombrow_upload_destination(album) {
    var p, n, cs;
    @switch_to_uijob(kUploadScenarioJobType);
    @uij_set("bUploads", 0);
    @uijob_go();
    wait {
    case kEvAddCoolSite: if (s_registration_check()) s_add_cool_sites();
    case kEvCoolSite:
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
            if (s_generic_composer(cs, kComposeConfigure, 0, 0, n)) {
                s_registration_check();
                return 1;
            }
            return 0;
        }
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 63 s_lmbrow_media_browser(album, upload_allowed) {
    var u, r, w, d, s, cs;
    @switch_to_uijob(kAlbumSummaryJobType);
    u = upload_allowed;
    @uij_set("album_summary", album);
    @uijob_go();
    wait {
    case kEvPickRecipients:
        if (s_registration_check()) {
            if (!s_lmbrow_contact_chooser(album)) _set_resume_event(kResumeAbandoned);
        } else {
            _set_resume_event(kResumeAbandoned);
        }
    case kEvPostToService:
        if (s_registration_check()) {
            if (!s_lmbrow_dest_list(0, album)) _set_resume_event(kResumeAbandoned);
        } else {
            _set_resume_event(kResumeAbandoned);
        }
    case kEvVoiceSendToContacts:
        if (s_registration_check()) {
            _copy_oem_contacts_to_global_contact_container();
            r = s_generic_composer(g_sendto, kComposeWithMedia, _get_storage_location_from_album(album), album, 0);
            // The composer was cancelled for good, so the browser is left too.
            if (r == kEvCancel) _send_self(kEvBack);
            else if (r == 0) _set_resume_event(kResumeAbandoned);
        }
    case kEvAlbumList:
        // Back to the album list this browser was opened from, or a new one.
        _return_to("s_myalbums_top_level_list", 0);
        s_myalbums_top_level_list(0);
    case kEvPickAlbum: _assert(0);
    case kEvPrintMedia: if (!s_lmbrow_print(album)) _set_resume_event(kResumeAbandoned);
    case kEvConfirmUpload:
        _print("CHOOSE_UPLOAD DEST: bUploadDestination = ", u);
        if (_is_3rd_party_upload_supported() && u) {
            d = s_lmbrow_upload_destination();
            if (!d) {
                _set_resume_event(kResumeAbandoned);
            } else if (d == g_my_uploads) {
                @uij_set("album_id", "");
            } else {
                s = _load_scenario(d);
                if (_is_scenario_configured(s)) {
                    if (s_generic_composer(d, kComposeWithMedia, _get_storage_location_from_album(album), album, 0) == 1)
                        _set_resume_event(kResumeSucceeded);
                    else
                        _set_resume_event(kResumeAbandoned);
                } else {
                    cs = _get_config_scenario(s);
                    _print("My Config Scenario is ", cs);
                    if (_config_scenario_url_check(s)) {
                        _launch_browser_uri_location(cs);
                        _refresh_destlist();
                        s_registration_check();
                    } else if (s_registration_check()) {
                        if (s_generic_composer(cs, kComposeConfigure, 0, 0, 0) == 1) {
                            _refresh_destlist();
                            s_registration_check();
                            _set_resume_event(kResumeAfterSubflow);
                        } else {
                            _set_resume_event(kResumeAbandoned);
                        }
                    }
                }
            }
        } else {
            // The next wait returns kEvUploadWhere: choose where to upload instead.
            _send_self(kEvUploadWhere);
        }
    case kEvUploadWhere:
        if (s_registration_check()) {
            w = s_lmbrow_upload_where();
            _print("Got szAlbumId=", w);
            if (!w) {
                _print("Not szAlbumId set");
                _set_resume_event(kResumeAbandoned);
            } else {
                _print("Should be CE_RESUME");
                if (w == g_my_uploads) @uij_set("album_id", "");
                else @uij_set("album_id", w);
            }
        }
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}

screen function 64 s_lmbrow_contact_chooser(album) {
    @switch_to_uijob(kContactChooserJobType);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case kEvDone:
        if (s_generic_composer(g_sendto, kComposeWithMedia, _get_storage_location_from_album(album), 0, 0) == 0)
            _set_resume_event(kResumeAfterSubflow);
        else
            return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 65 s_lmbrow_dest_list(category, album) {
    @switch_to_uijob(kDestinationChooserJobType);
    if (category) @uij_set("category", category);
    @uijob_go();
    wait {
    case kEvDone:
        if (s_generic_composer(@uij_get("selected_scenario"), kComposeWithMedia, _get_storage_location_from_album(album), album, 0) == 1)
            return 1;
        return 0;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 66 s_lmbrow_print(album) {
    @switch_to_uijob(kMenuChoiceJobType);
    _reset_global_contacts();
    @uij_set("menu_type_id", kMenuTypePrint);
    @uijob_go();
    wait {
    case kEvHomeDelivery:
        if (s_registration_check()) {
            if (s_generic_composer(g_print_by_mail, kComposeWithMedia, _get_storage_location_from_album(album), album, 0) == 1)
                return 1;
            return 0;
        }
    case kEvRetailPickup:
        if (s_registration_check()) {
            if (s_lmbrow_dest_list(g_prints_at_retail, album)) return 1;
        }
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// Returns a scenario name, the "my uploads" marker, or 0 when left.
screen function 67 s_lmbrow_upload_destination() {
    var n;
    @switch_to_uijob(kUploadScenarioJobType);
    @uij_set("bUploads", 1);
    @uijob_go();
    wait {
    case kEvAddCoolSite: if (s_registration_check()) s_add_cool_sites();
    case kEvUpload: return g_my_uploads;
    case kEvCoolSite:
        n = @uij_get("szScenario");
        _print("on PE_COOL_SITE: szScenario = ", n);
        return n;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// Returns an album id, the "my uploads" marker, or the empty text when left.
screen function 68 s_lmbrow_upload_where() {
    @switch_to_uijob(kMenuChoiceJobType);
    @uij_set("menu_type_id", kMenuTypeUploads);
    @uijob_go();
    wait {
    case kEvMyAlbums: return s_lmbrow_online_picker();
    case kEvMyUploads: return g_my_uploads;
    case kEvBack: return "";
    case kEvExit: halt;
    }
}

screen function 69 s_lmbrow_online_picker() {
    @switch_to_uijob(kAlbumPickerJobType);
    @uij_set("allow_create_album", 1);
    @uijob_go();
    wait {
    case kEvDone:
        _print("ONLINE ALBUM PICKER picked_album_id=", @uij_get("picked_album_id"));
        return @uij_get("picked_album_id");
    case kEvBack: return "";
    case kEvExit: halt;
    }
}

screen function 71 s_deleter(event) {
    @switch_to_uijob(kMediaDeleteJobType);
    @uij_set("album_summary", _local_album_summary_for_storage_location(
        _media_storage_area_to_storage_location(_ev_cracker(kCrackPayloadWord, event))));
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}
