#!/usr/bin/env python3
"""Runs tools/check-codes.py on a copy of the code lists with one fault
planted at a time, and expects it to name the fault (exit 1), or to pass a
tree without one (exit 0).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CHECK = os.path.join(TOP, "tools", "check-codes.py")
EVENTS = "engine/core/jobs/VXLEventCodes.h"
RESULTS = "engine/core/jobs/VXLResultCodes.h"
UI_CODES = "engine/core/jobs/VXLUIRequestCodes.h"
COUNTERS = "engine/core/jobs/VXLCounterTable.h"
CONFIG = "engine/core/settings/VXLConfigItem.h"
KEYS = "engine/core/settings/VXLPersKeys.h"
OTHER = "engine/transfer/VXLPlanted.h"

# (what is planted, file, a line the planted line follows or None for a new
# file, the planted text, the exit code, a text the report must contain)
CASES = [
    ("nothing", None, None, "", 0, ""),
    ("an event code with a number in use", EVENTS, "X(kEventStop,",
     '    X(kEventPlanted, 0x8000004, "planted") \\', 1,
     "kEventPlanted and kEventXferRun share the number 0x8000004"),
    ("a reply code with a number in use", EVENTS, "X(kReplyNetConnect,",
     '    X(kReplyPlanted, 28, "planted") \\', 1, "kReplyPlanted and kReplyPushWrite share the number 28"),
    ("a result with a number in use", RESULTS, "X(kResultSucceeded,",
     '    X(kResultPlanted, 24, "planted") \\', 1, "kResultPlanted and kResultCancelled share the number 24"),
    ("a name in both lists", RESULTS, "X(kResultSucceeded,",
     '    X(kEventStop, 7777, "planted") \\', 1, "kEventStop is named twice"),
    ("an event code number in another file", OTHER, None,
     "static constexpr int kCode = 0x8000070;", 1, OTHER + ":1: event code number 0x8000070"),
    ("a listed name defined again", OTHER, None,
     "enum { kEventStart = 4 };", 1, OTHER + ":1: defines kEventStart again"),
    ("a result defined outside its list", OTHER, None,
     "inline constexpr std::int32_t kResultPlanted = 5;", 1, OTHER + ":1: defines the result kResultPlanted"),
    ("event code numbers in a comment and a text", OTHER, None,
     '// posts 0x8000004\nconst char* kText = "0x8000004";', 0, ""),
    ("a UI request code with a number in use", UI_CODES, "X(kUIRequestNone,",
     '    X(kUIRequestPlanted, 9, "planted") \\', 1,
     "kUIRequestPlanted and kUIRequestOutboxChanged share the number 9"),
    ("a UI request code restated in another file", OTHER, None,
     "static constexpr std::int32_t kUiOutboxChanged = 9;", 1,
     OTHER + ":1: defines the UI request code kUiOutboxChanged outside VXLUIRequestCodes.h"),
    ("a UI request code named from the list", OTHER, None,
     "static constexpr std::int32_t kUiOutboxChanged = kUIRequestOutboxChanged;", 0, ""),
    ("a counter with a number in use", COUNTERS, "X(kCounterInPhone,",
     '    X(kCounterPlanted, 14, "planted") \\', 1, "kCounterPlanted and kCounterNewLayouts share the number 14"),
    ("a counter restated in another file", OTHER, None,
     "inline constexpr int kCounterNewLayoutRequests = 14;", 1,
     OTHER + ":1: defines the counter kCounterNewLayoutRequests outside VXLCounterTable.h"),
    ("a configuration item with a number in use", CONFIG, "X(kCfgServerUri,",
     '    X(kCfgPlanted, 38, "planted") \\', 1,
     "kCfgPlanted and kCfgMessageImageExpandedWidth share the number 38"),
    ("a configuration item restated in another file", OTHER, None,
     "static constexpr std::int32_t kCfgExpandedWidth = 38;", 1,
     OTHER + ":1: defines the configuration item kCfgExpandedWidth outside VXLConfigItem.h"),
    ("a settings key written again", OTHER, None,
     'static constexpr const char* kTotal = "int.destlist.progress_total";', 1,
     OTHER + ':1: the settings key "int.destlist.progress_total" written again'),
    ("a settings key in a comment", OTHER, None,
     '// publishes "int.destlist.progress_total"', 0, ""),
]


class CheckCodesTest(unittest.TestCase):
    def run_on_planted(self, path, after, text):
        with tempfile.TemporaryDirectory() as top:
            for listed in (EVENTS, RESULTS, UI_CODES, COUNTERS, CONFIG, KEYS):
                os.makedirs(os.path.dirname(os.path.join(top, listed)), exist_ok=True)
                shutil.copy(os.path.join(TOP, listed), os.path.join(top, listed))
            if path and after is None:
                os.makedirs(os.path.dirname(os.path.join(top, path)), exist_ok=True)
                with open(os.path.join(top, path), "w", encoding="utf-8") as f:
                    f.write(text + "\n")
            elif path:
                with open(os.path.join(top, path), encoding="utf-8") as f:
                    lines = f.read().split("\n")
                at = next(i for i, line in enumerate(lines) if after in line)
                lines.insert(at + 1, text)
                with open(os.path.join(top, path), "w", encoding="utf-8") as f:
                    f.write("\n".join(lines))
            run = subprocess.run([sys.executable, CHECK, top], capture_output=True, text=True)
            return run.returncode, run.stdout

    def test_each_planted_fault_is_named(self):
        for what, path, after, text, code, report in CASES:
            with self.subTest(what):
                got_code, got_report = self.run_on_planted(path, after, text)
                self.assertEqual(got_code, code, got_report)
                self.assertIn(report, got_report)
                if code == 0:
                    self.assertEqual(got_report, "")


if __name__ == "__main__":
    unittest.main()
