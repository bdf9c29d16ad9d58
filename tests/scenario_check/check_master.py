#!/usr/bin/env python3
"""Checks the shipped scenario program container against what the program must be.

Reads the container bytes on its own (it shares no code with the compiler):
little-endian; texts are a 32-bit length L (bytes + NUL) and L bytes; instruction
operands are 16-bit, most significant byte first, after opcodes 128 and above.

usage: check_master.py Master.p2
"""
import struct
import sys

# (index, name, parameter count, screen flag), as the program must define them.
FUNCTIONS = [
    (0, "@start", 0, 0), (1, "main", 2, 0), (2, "s_mboxes", 1, 1),
    (3, "s_mbox_browse_inbox", 0, 1), (4, "s_mbox_browse_threaded", 3, 1),
    (5, "s_mbox_browse_premium", 0, 1), (6, "s_mbox_browse_outbox", 0, 1),
    (7, "s_mbox_browse_saved", 0, 1), (8, "s_mbox_browse_sent", 0, 1),
    (9, "s_mbox_view_inbox", 2, 1), (10, "s_mbox_view_threaded", 3, 1),
    (11, "s_mbox_view_premium", 1, 1), (12, "s_mbox_view_saved", 1, 1),
    (13, "s_mbox_view_sent", 1, 1), (14, "s_mbox_msg_forward", 0, 1),
    (15, "s_mbox_msg_media_assign", 1, 1), (16, "s_mbox_msg_media_assign_audio", 1, 1),
    (17, "s_mbox_msg_save_media", 1, 1), (18, "s_mbox_msg_print_picker", 2, 1),
    (19, "s_mbox_msg_print", 1, 1), (20, "s_mbox_msg_dest_list", 2, 1),
    (21, "s_mbox_print_generic_composer", 2, 1), (22, "s_show_message_by_id_summary_getter", 1, 1),
    (23, "s_browse_threads", 0, 1), (24, "s_gents_contact_chooser", 0, 1),
    (25, "s_gents_media_selection_menu", 3, 1), (26, "s_gents_oat_album_picker", 3, 1),
    (27, "s_gents_oat_media_picker", 4, 1), (28, "s_gents_lmt_local_media_picker", 5, 1),
    (29, "s_gents_cmt_local_album_open_closer", 4, 1), (30, "s_gents_cmt_capture_media", 4, 1),
    (31, "s_gents_sst_open_local_album", 3, 1), (32, "s_global_pics_print_where", 0, 1),
    (33, "s_global_pics_print_dest_list", 1, 1), (34, "s_global_pics_print_tl", 1, 1),
    (35, "s_global_pics_print_oap", 1, 1), (36, "s_global_pics_print_omp", 2, 1),
    (37, "s_global_pics_print_lmp", 2, 1), (38, "s_add_cool_sites", 0, 1),
    (39, "s_global_dest_launcher", 1, 1), (40, "s_global_configured_dest_launcher", 1, 1),
    (41, "s_capture_upload", 1, 1), (42, "s_capture_opts_upload", 0, 1),
    (43, "s_capopts_upload_open_closer", 2, 1), (44, "s_capopts_uploader", 1, 1),
    (45, "s_capture_opts_order_prints", 0, 1), (46, "s_capture_opts_dest_list", 1, 1),
    (47, "s_capture_opts_send_to_contacts", 0, 1), (48, "s_capopts_open_closer", 1, 1),
    (49, "s_getter_selector", 0, 1), (50, "s_picker_top_level", 1, 1),
    (51, "s_picker_online_album", 0, 1), (52, "s_picker_online_media", 1, 1),
    (53, "s_picker_local_media", 1, 1), (54, "s_fav_add_my_albums", 0, 1),
    (55, "s_fav_add_my_albums_assigner", 1, 1), (56, "fav_view_media", 0, 0),
    (57, "s_fav_review_send_favorite", 1, 1), (58, "s_myalbums_top_level_list", 1, 1),
    (59, "s_online_top_level", 1, 1), (60, "s_ombrow_media_browser", 1, 1),
    (61, "s_ombrow_contact_chooser", 3, 1), (62, "s_ombrow_upload_destination", 1, 1),
    (63, "s_lmbrow_media_browser", 2, 1), (64, "s_lmbrow_contact_chooser", 1, 1),
    (65, "s_lmbrow_dest_list", 2, 1), (66, "s_lmbrow_print", 1, 1),
    (67, "s_lmbrow_upload_destination", 0, 1), (68, "s_lmbrow_upload_where", 0, 1),
    (69, "s_lmbrow_online_picker", 0, 1), (70, "rspix", 0, 0),
    (71, "s_deleter", 1, 1), (72, "s_generic_composer", 5, 1),
    (73, "s_online_album_picker", 0, 1), (74, "s_generic_composer_modify_contacts", 0, 1),
    (75, "s_generic_composer_modify_online_media", 1, 1),
    (76, "s_generic_composer_modify_local_media", 1, 1),
    (77, "enqueue_account_management_url", 0, 0), (78, "enqueue_media_browse_url", 0, 0),
    (79, "s_dpop_you_have_mail", 1, 1), (80, "s_dpop_data_charge", 1, 1),
    (81, "s_popup_get_password", 1, 1), (82, "s_popup_info_alert", 1, 1),
    (83, "s_popup_pending_send_failed", 1, 1), (84, "s_registration_check", 0, 1),
]

# The UI job type each screen function shows first (built-in 43 with this number).
JOB_TYPES = {
    2: 9, 3: 21, 4: 26, 5: 23, 6: 22, 7: 24, 8: 25, 9: 31, 10: 35, 11: 32, 12: 33, 13: 34,
    14: 4, 15: 27, 16: 2, 17: 27, 18: 27, 19: 20, 20: 5, 21: 10, 22: 29, 23: 30, 24: 4,
    25: 19, 26: 37, 27: 39, 28: 15, 29: 1, 30: 16, 31: 1, 32: 20, 33: 5, 34: 45, 35: 37,
    36: 39, 37: 15, 38: 5, 39: 43, 40: 20, 41: 43, 42: 20, 43: 1, 44: 18, 45: 20, 46: 5,
    47: 4, 48: 1, 49: 17, 50: 45, 51: 37, 52: 39, 53: 15, 54: 45, 55: 12, 57: 8, 58: 45,
    59: 36, 60: 38, 61: 4, 62: 46, 63: 13, 64: 4, 65: 5, 66: 20, 67: 46, 68: 20, 69: 37,
    71: 14, 72: 10, 73: 37, 74: 4, 75: 39, 76: 15, 79: 28, 80: 28, 81: 40, 82: 3, 83: 41,
    84: 6,
}

# What "@start" stores in globals 2 to 6.
START_GLOBALS = {
    2: "__vxl_album_sendto_recipients", 3: "__vxl_sendto_recipients", 4: "__vxl_print_by_mail",
    5: "__vxl_prints_at_retail", 6: "MY-UPLOADS-MAGIC-ALBUM-ID",
}

STRINGS = [
    "", " so media modification not allowed", "CHOOSE_UPLOAD DEST: bUploadDestination = ",
    "Eh? PICK ALBUM received", "Got szAlbumId=", "MY-UPLOADS-MAGIC-ALBUM-ID", "My Config Scenario is ",
    "Not done", "Not szAlbumId set", "ONLINE ALBUM PICKER picked_album_id=", "P2 Got CE_CHILD_BACK",
    "Should be CE_RESUME", "This site does not have config scenario going to media picker ",
    "Unknown launch command ", "__vxl_album_sendto_recipients", "__vxl_print_by_mail",
    "__vxl_prints_at_retail", "__vxl_sendto_recipients",
    "account management url is missing - even after reg check", "add_cool_sites", "album_id",
    "album_share_summary", "album_summary", "allow_create_album", "audio_ref", "bUploads",
    "capture_type", "category", "choice_int", "choice_string", "dest_album", "dest_list_id",
    "fail_event", "favorite_position", "folder_location", "gc_op", "generic composer: locus is ",
    "go_forward", "ia_event", "local_show_only", "media_id", "menu_type_id", "message_id",
    "message_summary", "message_title", "modify_flag", "mpp_op", "on PE_COOL_SITE: szScenario = ",
    "pScenario", "password_event", "pe_pick_album szAlbumId=", "picked_album_element",
    "picked_album_id", "preselected_album", "s_global_configured_dest_launcher - MLL_DEST_LAUNCHER",
    "s_global_configured_dest_launcher - MLL_NOBROWSER_DEST_LAUNCHER",
    "s_global_configured_dest_launcher - config scenario: ", "s_myalbums_top_level_list",
    "scenario", "scenario is not configured calling s_generic_composer", "selected_scenario",
    "storage_location", "supports_image", "supports_txtonly", "supports_video", "szScenario",
    "thread_id", "visual_slide", "what_folders_to_show",
]

# Activity codes with a row of their own in "main"; every other code goes to the default.
MAIN_KEYS = set(range(70, 84)) | {86, 87, 88} | set(range(93, 105)) | {107, 108, 109} | set(range(112, 116))

BUILTIN_COUNT = 46
NEVER_CALLED = {40}  # "@vxl_set"
OP_SWITCH, OP_SWITCH_EVENT, OP_BUILTIN, OP_WAIT = 132, 133, 136, 45


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, n):
        if n > len(self.data) - self.pos:
            raise ValueError("truncated at byte %d" % self.pos)
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def text(self):
        raw = self.take(self.u32())
        if not raw or raw[-1] != 0:
            raise ValueError("text without NUL before byte %d" % self.pos)
        return raw[:raw.index(0)].decode("utf-8")


def read_container(data):
    r = Reader(data)
    p = {"globals": r.u16(), "name": r.text(), "version": r.text(), "entry": r.u16()}
    p["code"] = r.take(r.u32())
    p["functions"] = []
    for _ in range(r.u32()):
        name_index, params, frame, start, screen, _pad = struct.unpack("<IHHHBB", r.take(12))
        p["functions"].append((name_index, params, frame, start, screen))
    p["cases"] = [struct.unpack("<hH", r.take(4)) for _ in range(r.u32())]
    p["switches"] = [struct.unpack("<III", r.take(12)) for _ in range(r.u32())]
    p["strings"] = [r.text() for _ in range(r.u32())]
    p["names"] = [r.text() for _ in range(r.u32())]
    if r.pos != len(data):
        raise ValueError("%d bytes after the name table" % (len(data) - r.pos))
    return p


def instructions(code):
    at = 0
    while at < len(code):
        op = code[at]
        if op & 0x80:
            if at + 3 > len(code):
                raise ValueError("operand past the end of the code at %d" % at)
            yield at, op, (code[at + 1] << 8) | code[at + 2]
            at += 3
        else:
            yield at, op, None
            at += 1


def check(p):
    problems = []
    if p["name"] != "Master.p2":
        problems.append("program name %r" % p["name"])
    if p["globals"] != 7:
        problems.append("%d globals, not 7" % p["globals"])
    if p["entry"] != 1:
        problems.append("entry function %d, not 1" % p["entry"])

    funcs = p["functions"]
    if len(funcs) != len(FUNCTIONS):
        problems.append("%d functions, not %d" % (len(funcs), len(FUNCTIONS)))
    for index, name, params, screen in FUNCTIONS:
        if index >= len(funcs):
            continue
        name_index, got_params, frame, start, got_screen = funcs[index]
        got_name = p["names"][name_index] if name_index < len(p["names"]) else None
        if got_name != name:
            problems.append("function %d is %r, not %r" % (index, got_name, name))
        if got_params != params:
            problems.append("%s takes %d parameters, not %d" % (name, got_params, params))
        if got_screen != screen:
            problems.append("%s has screen flag %d, not %d" % (name, got_screen, screen))
        if frame < got_params or start >= len(p["code"]):
            problems.append("%s has a bad frame or start" % name)
    if len(funcs) > 1 and funcs[1][2] != 3:
        problems.append("main has %d locals, not 1" % (funcs[1][2] - funcs[1][1]))

    if p["strings"] != STRINGS:
        for i in range(max(len(STRINGS), len(p["strings"]))):
            want = STRINGS[i] if i < len(STRINGS) else None
            got = p["strings"][i] if i < len(p["strings"]) else None
            if want != got:
                problems.append("string %d is %r, not %r" % (i, got, want))
                break

    code = p["code"]
    main_start = funcs[1][3] if len(funcs) > 1 else 0
    main_end = min([f[3] for f in funcs if f[3] > main_start] + [len(code)])
    called = set()
    main_tables = []
    previous = None
    event_switches = 0
    for at, op, operand in instructions(code):
        if op == OP_BUILTIN:
            called.add(operand)
        if op == OP_SWITCH and main_start <= at < main_end:
            main_tables.append(operand)
        if op == OP_SWITCH_EVENT:
            event_switches += 1
            if previous != (OP_BUILTIN, OP_WAIT):
                problems.append("event switch at %d does not follow a wait" % at)
        previous = (op, operand)
    missing = set(range(BUILTIN_COUNT)) - NEVER_CALLED - called
    if missing:
        problems.append("built-ins never called: %s" % sorted(missing))
    if called & NEVER_CALLED:
        problems.append("built-in 40 is called")
    if event_switches != 79:
        problems.append("%d event switches, not one per screen function (79)" % event_switches)

    for index, job in JOB_TYPES.items():
        if index < len(funcs):
            start = funcs[index][3]
            first = list(instructions(code[start:start + 6]))
            if [(op, v) for _, op, v in first] != [(130, job), (OP_BUILTIN, 43)]:
                problems.append("%s does not begin by showing job %d" % (FUNCTIONS[index][1], job))

    start_code = code[funcs[0][3]:funcs[1][3]] if len(funcs) > 1 else b""
    ops = [(op, v) for _, op, v in instructions(start_code)]
    for g, text in START_GLOBALS.items():
        if text in p["strings"] and (128, g) in ops:
            at = ops.index((128, g))
            if ops[at + 1:at + 3] == [(131, p["strings"].index(text)), (2, None)]:
                continue
        problems.append("@start does not set global %d to %r" % (g, text))

    if len(main_tables) != 1:
        problems.append("main has %d switches on a computed value, not 1" % len(main_tables))
    elif main_tables[0] >= len(p["switches"]):
        problems.append("main's switch table is out of range")
    else:
        default, count, first = p["switches"][main_tables[0]]
        keys = [k for k, _ in p["cases"][first:first + count]]
        if sorted(keys) != sorted(MAIN_KEYS):
            problems.append("main's case keys differ: extra %s, missing %s"
                            % (sorted(set(keys) - MAIN_KEYS), sorted(MAIN_KEYS - set(keys))))
        if default == 0xFFFFFFFF:
            problems.append("main's switch has no default")
        elif default != first - 1 or p["cases"][default][0] != 0:
            problems.append("main's default record is not a key-0 record just before its cases")
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    try:
        program = read_container(data)
    except ValueError as e:
        print("not a readable container:", e)
        return 1
    problems = check(program)
    for line in problems:
        print(line)
    print("%d problem(s)" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
