// Mailbox flows: folder lists, message views and what can be done with a message.
// A list's actions use the summary the list has selected; a view's use its own.

screen function 2 s_mboxes(folders) {
    @switch_to_uijob(9);
    @uij_set("what_folders_to_show", folders);
    @uijob_go();
    wait {
    case 26: if (s_registration_check()) s_gents_contact_chooser();
    case 28: s_mbox_browse_inbox();
    case 29: s_mbox_browse_outbox();
    case 30: s_mbox_browse_premium();
    case 31: if (s_registration_check()) s_mbox_browse_saved();
    case 32: if (s_registration_check()) s_mbox_browse_sent();
    case 8: return 0;
    case 9: halt;
    }
}

screen function 3 s_mbox_browse_inbox() {
    @switch_to_uijob(21);
    @uijob_go();
    wait {
    case 53: if (s_registration_check()) s_mbox_view_inbox(@uij_get("message_summary"), 0);
    case 23: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case 37: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case 33:
        if (s_registration_check()) {
            if (s_mbox_msg_forward() == 13) _set_resume_event(13);
        }
    case 44, 45:
        if (s_registration_check()) s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(@uij_get("message_summary"));
    case 8: return 0;
    case 9: halt;
    }
}

screen function 4 s_mbox_browse_threaded(thread_id, halt_on_back, go_forward) {
    @switch_to_uijob(26);
    @uij_set("thread_id", thread_id);
    @uij_set("go_forward", go_forward);
    @uijob_go();
    wait {
    case 53:
        if (s_registration_check())
            s_mbox_view_threaded(@uij_get("message_summary"), @uij_get("message_title"), 0);
    case 54:
        if (s_registration_check())
            s_mbox_view_threaded(@uij_get("message_summary"), @uij_get("message_title"), 1);
    case 60:
        s_browse_threads();
        halt;
    case 23: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case 37: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case 33:
        if (s_registration_check()) {
            if (s_mbox_msg_forward() == 13) _set_resume_event(13);
        }
    case 44, 45, 46:
        if (s_registration_check()) s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(@uij_get("message_summary"));
    case 8:
        _print("P2 Got CE_CHILD_BACK");
        if (halt_on_back) halt;
        return 0;
    case 9: halt;
    }
}

screen function 5 s_mbox_browse_premium() {
    @switch_to_uijob(23);
    @uijob_go();
    wait {
    case 53: if (s_registration_check()) s_mbox_view_premium(@uij_get("message_summary"));
    case 23: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case 37: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case 33:
        if (s_registration_check()) {
            if (s_mbox_msg_forward() == 13) _set_resume_event(13);
        }
    case 44, 45:
        if (s_registration_check()) s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(@uij_get("message_summary"));
    case 8: return 0;
    case 9: halt;
    }
}

screen function 6 s_mbox_browse_outbox() {
    @switch_to_uijob(22);
    @uijob_go();
    wait {
    case 8: return 0;
    case 9: halt;
    }
}

screen function 7 s_mbox_browse_saved() {
    @switch_to_uijob(24);
    @uijob_go();
    wait {
    case 53: s_mbox_view_saved(@uij_get("message_summary"));
    case 23: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case 37: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case 33: if (s_mbox_msg_forward() == 13) _set_resume_event(13);
    case 44, 45: s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(@uij_get("message_summary"));
    case 8: return 0;
    case 9: halt;
    }
}

screen function 8 s_mbox_browse_sent() {
    @switch_to_uijob(25);
    @uijob_go();
    wait {
    case 53: s_mbox_view_sent(@uij_get("message_summary"));
    case 23: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case 37: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case 33: if (s_mbox_msg_forward() == 13) _set_resume_event(13);
    case 44, 45: s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(@uij_get("message_summary"));
    case 8: return 0;
    case 9: halt;
    }
}

screen function 9 s_mbox_view_inbox(summary, from_notification) {
    @switch_to_uijob(31);
    @uij_set("message_summary", summary);
    @uij_set("thread_id", _get_ThreadId_from_Message_Summary(@uij_get("message_summary")));
    @uijob_go();
    wait {
    case 23: s_mbox_msg_media_assign(summary);
    case 24: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case 37: s_mbox_msg_print_picker(summary, 0);
    case 33: if (s_mbox_msg_forward() == 13) _set_resume_event(13);
    case 44, 45: s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(summary);
    case 8:
        // Opened from a notification, back leads to the message's thread.
        if (from_notification) s_mbox_browse_threaded(@uij_get("thread_id"), 1, 1);
        else return 0;
    case 9: halt;
    }
}

screen function 10 s_mbox_view_threaded(summary, title, slide) {
    @switch_to_uijob(35);
    @uij_set("message_summary", summary);
    @uij_set("message_title", title);
    @uij_set("visual_slide", slide);
    @uijob_go();
    wait {
    case 23: s_mbox_msg_media_assign(summary);
    case 24: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case 37: s_mbox_msg_print_picker(summary, 0);
    case 33: if (s_mbox_msg_forward() == 13) _set_resume_event(13);
    case 44, 45: s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(summary);
    case 8: return 0;
    case 9: halt;
    }
}

screen function 11 s_mbox_view_premium(summary) {
    @switch_to_uijob(32);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case 23: s_mbox_msg_media_assign(summary);
    case 24: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case 37: s_mbox_msg_print_picker(summary, 0);
    case 33: if (s_mbox_msg_forward() == 13) _set_resume_event(13);
    case 44, 45: s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(summary);
    case 8: return 0;
    case 9: halt;
    }
}

screen function 12 s_mbox_view_saved(summary) {
    @switch_to_uijob(33);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case 23: s_mbox_msg_media_assign(summary);
    case 24: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case 37: s_mbox_msg_print_picker(summary, 0);
    case 33: if (s_mbox_msg_forward() == 13) _set_resume_event(13);
    case 44, 45: s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(summary);
    case 8: return 0;
    case 9: halt;
    }
}

screen function 13 s_mbox_view_sent(summary) {
    @switch_to_uijob(34);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case 23: s_mbox_msg_media_assign(summary);
    case 24: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case 37: s_mbox_msg_print_picker(summary, 0);
    case 33: if (s_mbox_msg_forward() == 13) _set_resume_event(13);
    case 44, 45: s_gents_media_selection_menu(g_sendto, 1, @uij_get("message_summary"));
    case 48: s_mbox_msg_save_media(summary);
    case 8: return 0;
    case 9: halt;
    }
}

// Returns 13 when left, so the list or view posts resume event 13.
screen function 14 s_mbox_msg_forward() {
    @switch_to_uijob(4);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case 10: return 0;
    case 8: return 13;
    case 9: halt;
    }
}

screen function 15 s_mbox_msg_media_assign(summary) {
    @switch_to_uijob(27);
    @uij_set("mpp_op", 0);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case 8, 10: return 0;
    case 9: halt;
    }
}

screen function 16 s_mbox_msg_media_assign_audio(audio) {
    @switch_to_uijob(2);
    @uij_set("audio_ref", audio);
    @uijob_go();
    wait {
    case 8, 10: return 0;
    case 9: halt;
    }
}

screen function 17 s_mbox_msg_save_media(summary) {
    @switch_to_uijob(27);
    @uij_set("mpp_op", 2);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case 8, 10: return 0;
    case 9: halt;
    }
}

screen function 18 s_mbox_msg_print_picker(summary, modify) {
    @switch_to_uijob(27);
    @uij_set("modify_flag", modify);
    @uij_set("mpp_op", 1);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case 10:
        if (modify) return 0;
        if (s_mbox_msg_print(summary)) return 0;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 19 s_mbox_msg_print(summary) {
    @switch_to_uijob(20);
    _reset_global_contacts();
    @uij_set("menu_type_id", 0);
    @uijob_go();
    wait {
    case 39:
        if (s_registration_check()) {
            if (s_mbox_print_generic_composer(g_print_by_mail, summary)) return 1;
        }
    case 38:
        if (s_registration_check()) {
            if (s_mbox_msg_dest_list(g_prints_at_retail, summary)) return 1;
        }
    case 8: return 0;
    case 9: halt;
    }
}

screen function 20 s_mbox_msg_dest_list(category, summary) {
    @switch_to_uijob(5);
    if (!s_registration_check()) return 0;
    if (category) @uij_set("category", category);
    @uijob_go();
    wait {
    case 10:
        if (s_mbox_print_generic_composer(@uij_get("selected_scenario"), summary)) return 1;
    case 8: return 0;
    case 9: halt;
    }
}

screen function 21 s_mbox_print_generic_composer(scenario, summary) {
    @switch_to_uijob(10);
    @uij_set("scenario", scenario);
    @uijob_go();
    wait {
    case 10: return 1;
    case 27: s_generic_composer_modify_contacts();
    case 34: s_mbox_msg_print_picker(summary, 1);
    case 8: return 0;
    case 9: halt;
    }
}

screen function 22 s_show_message_by_id_summary_getter(message_id) {
    @switch_to_uijob(29);
    @uij_set("message_id", message_id);
    @uijob_go();
    wait {
    case 10:
        switch (@uij_get("folder_location")) {
        case 0: s_mbox_view_inbox(@uij_get("message_summary"), 0);
        case 1: s_mbox_view_sent(@uij_get("message_summary"));
        case 2: s_mbox_view_saved(@uij_get("message_summary"));
        case 4: s_mbox_view_premium(@uij_get("message_summary"));
        case 3:
        default:
            _assert(0); // stops the run
        }
    case 7, 8: return 0;
    case 9: halt;
    }
}

screen function 23 s_browse_threads() {
    @switch_to_uijob(30);
    @uijob_go();
    wait {
    case 10: s_mbox_browse_threaded(@uij_get("thread_id"), 0, 0);
    case 26: if (s_registration_check()) s_gents_contact_chooser();
    case 8:
        _clear_all_new_counts();
        return 0;
    case 9:
        _clear_all_new_counts();
        halt;
    }
}
