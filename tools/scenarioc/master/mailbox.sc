// Mailbox flows: folder lists, message views and what can be done with a message.
// A list's actions use the summary the list has selected; a view's use its own.

screen function 2 s_mboxes(folders) {
    @switch_to_uijob(kFolderListJobType);
    @uij_set("what_folders_to_show", folders);
    @uijob_go();
    wait {
    case kEvCompose: if (s_registration_check()) s_gents_contact_chooser();
    case kEvFolderInbox: s_mbox_browse_inbox();
    case kEvFolderOutbox: s_mbox_browse_outbox();
    case kEvFolderPremium: s_mbox_browse_premium();
    case kEvFolderSaved: if (s_registration_check()) s_mbox_browse_saved();
    case kEvFolderSent: if (s_registration_check()) s_mbox_browse_sent();
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 3 s_mbox_browse_inbox() {
    @switch_to_uijob(kInboxListJobType);
    @uijob_go();
    wait {
    case kEvView: if (s_registration_check()) s_mbox_view_inbox(@uij_get("message_summary"), 0);
    case kEvAssignMedia: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case kEvPrintMedia: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case kEvForward:
        if (s_registration_check()) {
            if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
        }
    case kEvReply, kEvReplyAll:
        if (s_registration_check()) s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(@uij_get("message_summary"));
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 4 s_mbox_browse_threaded(thread_id, halt_on_back, go_forward) {
    @switch_to_uijob(kThreadMessagesJobType);
    @uij_set("thread_id", thread_id);
    @uij_set("go_forward", go_forward);
    @uijob_go();
    wait {
    case kEvView:
        if (s_registration_check())
            s_mbox_view_threaded(@uij_get("message_summary"), @uij_get("message_title"), 0);
    case kEvViewMedia:
        if (s_registration_check())
            s_mbox_view_threaded(@uij_get("message_summary"), @uij_get("message_title"), 1);
    case kEvBackGoForward:
        s_browse_threads();
        halt;
    case kEvAssignMedia: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case kEvPrintMedia: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case kEvForward:
        if (s_registration_check()) {
            if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
        }
    case kEvReply, kEvReplyAll, kEvReplyToThread:
        if (s_registration_check()) s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(@uij_get("message_summary"));
    case kEvBack:
        _print("P2 Got CE_CHILD_BACK");
        if (halt_on_back) halt;
        return 0;
    case kEvExit: halt;
    }
}

screen function 5 s_mbox_browse_premium() {
    @switch_to_uijob(kPremiumListJobType);
    @uijob_go();
    wait {
    case kEvView: if (s_registration_check()) s_mbox_view_premium(@uij_get("message_summary"));
    case kEvAssignMedia: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case kEvPrintMedia: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case kEvForward:
        if (s_registration_check()) {
            if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
        }
    case kEvReply, kEvReplyAll:
        if (s_registration_check()) s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(@uij_get("message_summary"));
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 6 s_mbox_browse_outbox() {
    @switch_to_uijob(kOutboxListJobType);
    @uijob_go();
    wait {
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 7 s_mbox_browse_saved() {
    @switch_to_uijob(kSavedListJobType);
    @uijob_go();
    wait {
    case kEvView: s_mbox_view_saved(@uij_get("message_summary"));
    case kEvAssignMedia: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case kEvPrintMedia: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case kEvForward: if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
    case kEvReply, kEvReplyAll: s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(@uij_get("message_summary"));
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 8 s_mbox_browse_sent() {
    @switch_to_uijob(kSentListJobType);
    @uijob_go();
    wait {
    case kEvView: s_mbox_view_sent(@uij_get("message_summary"));
    case kEvAssignMedia: s_mbox_msg_media_assign(@uij_get("message_summary"));
    case kEvPrintMedia: s_mbox_msg_print_picker(@uij_get("message_summary"), 0);
    case kEvForward: if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
    case kEvReply, kEvReplyAll: s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(@uij_get("message_summary"));
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 9 s_mbox_view_inbox(summary, from_notification) {
    @switch_to_uijob(kInboxViewJobType);
    @uij_set("message_summary", summary);
    @uij_set("thread_id", _get_ThreadId_from_Message_Summary(@uij_get("message_summary")));
    @uijob_go();
    wait {
    case kEvAssignMedia: s_mbox_msg_media_assign(summary);
    case kEvAssignAudio: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case kEvPrintMedia: s_mbox_msg_print_picker(summary, 0);
    case kEvForward: if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
    case kEvReply, kEvReplyAll: s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(summary);
    case kEvBack:
        // Opened from a notification, back leads to the message's thread.
        if (from_notification) s_mbox_browse_threaded(@uij_get("thread_id"), 1, 1);
        else return 0;
    case kEvExit: halt;
    }
}

screen function 10 s_mbox_view_threaded(summary, title, slide) {
    @switch_to_uijob(kThreadViewJobType);
    @uij_set("message_summary", summary);
    @uij_set("message_title", title);
    @uij_set("visual_slide", slide);
    @uijob_go();
    wait {
    case kEvAssignMedia: s_mbox_msg_media_assign(summary);
    case kEvAssignAudio: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case kEvPrintMedia: s_mbox_msg_print_picker(summary, 0);
    case kEvForward: if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
    case kEvReply, kEvReplyAll: s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(summary);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 11 s_mbox_view_premium(summary) {
    @switch_to_uijob(kPremiumViewJobType);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case kEvAssignMedia: s_mbox_msg_media_assign(summary);
    case kEvAssignAudio: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case kEvPrintMedia: s_mbox_msg_print_picker(summary, 0);
    case kEvForward: if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
    case kEvReply, kEvReplyAll: s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(summary);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 12 s_mbox_view_saved(summary) {
    @switch_to_uijob(kSavedViewJobType);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case kEvAssignMedia: s_mbox_msg_media_assign(summary);
    case kEvAssignAudio: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case kEvPrintMedia: s_mbox_msg_print_picker(summary, 0);
    case kEvForward: if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
    case kEvReply, kEvReplyAll: s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(summary);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 13 s_mbox_view_sent(summary) {
    @switch_to_uijob(kSentViewJobType);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case kEvAssignMedia: s_mbox_msg_media_assign(summary);
    case kEvAssignAudio: s_mbox_msg_media_assign_audio(@uij_get("audio_ref"));
    case kEvPrintMedia: s_mbox_msg_print_picker(summary, 0);
    case kEvForward: if (s_mbox_msg_forward() == kResumeAbandoned) _set_resume_event(kResumeAbandoned);
    case kEvReply, kEvReplyAll: s_gents_media_selection_menu(g_sendto, kComposeFromMessage, @uij_get("message_summary"));
    case kEvSaveMedia: s_mbox_msg_save_media(summary);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

// Returns kResumeAbandoned when left, the resume event the list or view then posts.
screen function 14 s_mbox_msg_forward() {
    @switch_to_uijob(kContactChooserJobType);
    _reset_global_contacts();
    @uijob_go();
    wait {
    case kEvDone: return 0;
    case kEvBack: return kResumeAbandoned;
    case kEvExit: halt;
    }
}

screen function 15 s_mbox_msg_media_assign(summary) {
    @switch_to_uijob(kMediaModifyJobType);
    @uij_set("mpp_op", kMediaModifyAssign);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}

screen function 16 s_mbox_msg_media_assign_audio(audio) {
    @switch_to_uijob(kAudioJobType);
    @uij_set("audio_ref", audio);
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}

screen function 17 s_mbox_msg_save_media(summary) {
    @switch_to_uijob(kMediaModifyJobType);
    @uij_set("mpp_op", kMediaModifySave);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case kEvBack, kEvDone: return 0;
    case kEvExit: halt;
    }
}

screen function 18 s_mbox_msg_print_picker(summary, modify) {
    @switch_to_uijob(kMediaModifyJobType);
    @uij_set("modify_flag", modify);
    @uij_set("mpp_op", kMediaModifyPrint);
    @uij_set("message_summary", summary);
    @uijob_go();
    wait {
    case kEvDone:
        if (modify) return 0;
        if (s_mbox_msg_print(summary)) return 0;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 19 s_mbox_msg_print(summary) {
    @switch_to_uijob(kMenuChoiceJobType);
    _reset_global_contacts();
    @uij_set("menu_type_id", kMenuTypePrint);
    @uijob_go();
    wait {
    case kEvHomeDelivery:
        if (s_registration_check()) {
            if (s_mbox_print_generic_composer(g_print_by_mail, summary)) return 1;
        }
    case kEvRetailPickup:
        if (s_registration_check()) {
            if (s_mbox_msg_dest_list(g_prints_at_retail, summary)) return 1;
        }
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 20 s_mbox_msg_dest_list(category, summary) {
    @switch_to_uijob(kDestinationChooserJobType);
    if (!s_registration_check()) return 0;
    if (category) @uij_set("category", category);
    @uijob_go();
    wait {
    case kEvDone:
        if (s_mbox_print_generic_composer(@uij_get("selected_scenario"), summary)) return 1;
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 21 s_mbox_print_generic_composer(scenario, summary) {
    @switch_to_uijob(kComposeJobType);
    @uij_set("scenario", scenario);
    @uijob_go();
    wait {
    case kEvDone: return 1;
    case kEvPickRecipients: s_generic_composer_modify_contacts();
    case kEvPickMedia: s_mbox_msg_print_picker(summary, 1);
    case kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 22 s_show_message_by_id_summary_getter(message_id) {
    @switch_to_uijob(kMessageSummaryGetterJobType);
    @uij_set("message_id", message_id);
    @uijob_go();
    wait {
    case kEvDone:
        switch (@uij_get("folder_location")) {
        case kBoxInbox: s_mbox_view_inbox(@uij_get("message_summary"), 0);
        case kBoxSent: s_mbox_view_sent(@uij_get("message_summary"));
        case kBoxSaved: s_mbox_view_saved(@uij_get("message_summary"));
        case kBoxPremium: s_mbox_view_premium(@uij_get("message_summary"));
        case kBoxPending:
        default:
            _assert(0); // stops the run
        }
    case kEvFailed, kEvBack: return 0;
    case kEvExit: halt;
    }
}

screen function 23 s_browse_threads() {
    @switch_to_uijob(kThreadListJobType);
    @uijob_go();
    wait {
    case kEvDone: s_mbox_browse_threaded(@uij_get("thread_id"), 0, 0);
    case kEvCompose: if (s_registration_check()) s_gents_contact_chooser();
    case kEvBack:
        _clear_all_new_counts();
        return 0;
    case kEvExit:
        _clear_all_new_counts();
        halt;
    }
}
