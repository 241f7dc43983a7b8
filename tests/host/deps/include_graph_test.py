#!/usr/bin/env python3
"""tools/deps/include-graph.py --check on small trees made for each case."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools", "deps", "include-graph.py")


class Check(unittest.TestCase):
    def run_on(self, files):
        """Writes `files` (path: included paths) into a new tree and checks it."""
        with tempfile.TemporaryDirectory() as top:
            for path, includes in files.items():
                os.makedirs(os.path.join(top, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(top, path), "w", encoding="utf-8") as f:
                    f.write("".join(f'#include "{i}"\n' for i in includes))
            done = subprocess.run([sys.executable, SCRIPT, "--check", top],
                                  capture_output=True, text=True)
            return done.returncode, done.stderr

    def test_layers_pointing_down_pass(self):
        code, err = self.run_on({
            "app/Main.cpp": ["app/diskview/Scan.h", "framework/Wnd.h"],
            "app/diskview/Scan.h": ["platform/Files.h", "geometry/Geometry.h"],
            "framework/Wnd.h": ["platform/Files.h"],
            "platform/Files.h": [],
            "geometry/Geometry.h": [],
        })
        self.assertEqual(code, 0, err)
        self.assertNotIn("FAULT", err)

    def test_the_scan_engine_includes_only_itself_and_the_foundations(self):
        below = {
            "app/diskview/PieChart.cpp": ["app/diskview/scan/Scan.h"],
            "app/diskview/scan/Scan.cpp": ["app/diskview/scan/ntfs/Volume.h", "platform/Files.h"],
            "app/diskview/scan/ntfs/Volume.h": ["platform/Files.h"],
            "app/diskview/Plan.h": [],
            "app/Messages.h": [],
            "platform/Files.h": [],
        }
        code, err = self.run_on(below)
        self.assertEqual(code, 0, err)
        # No circle needed: the overview need not include the engine for an
        # arrow up from it to count, nor need the arrow start at its top.
        code, err = self.run_on({**below, "app/diskview/PieChart.cpp": [],
                                 "app/diskview/scan/Scan.h": ["app/diskview/Plan.h"],
                                 "app/diskview/scan/ntfs/Volume.h": ["app/Messages.h"]})
        self.assertEqual(code, 1)
        self.assertNotIn("circle", err)
        self.assertIn("FAULT: arrow up from app/diskview/scan/ to app/diskview/: "
                      "app/diskview/scan/Scan.h -> app/diskview/Plan.h", err)
        self.assertIn("FAULT: arrow up from app/diskview/scan/ntfs/ to app/: "
                      "app/diskview/scan/ntfs/Volume.h -> app/Messages.h", err)

    def test_an_arrow_up_from_the_framework_fails(self):
        code, err = self.run_on({
            "framework/Wnd.h": ["app/Messages.h"],
            "app/Messages.h": [],
        })
        self.assertEqual(code, 1)
        self.assertIn("arrow up from framework/ to app/", err)

    def test_a_circle_inside_the_program_fails(self):
        code, err = self.run_on({
            "app/Grid.h": ["app/diskview/Model.h"],
            "app/diskview/Tree.h": ["app/Grid.h"],
            "app/diskview/Model.h": [],
        })
        self.assertEqual(code, 1)
        self.assertIn("FAULT: circle inside app/: app/Grid.h -> app/diskview/Model.h", err)

    def test_a_circle_between_a_library_and_its_device_layer_fails(self):
        code, err = self.run_on({
            "parvane/InfoPages.cpp": ["parvane/device/DeviceLayer.h"],
            "parvane/device/DeviceLayer.h": ["parvane/Identify.h"],
            "parvane/Identify.h": [],
        })
        self.assertEqual(code, 1)
        self.assertIn("FAULT: circle inside parvane/", err)

    def test_circles_of_parts_and_of_framework_files_fail(self):
        code, err = self.run_on({
            "app/Main.cpp": ["tunara/Page.h"],
            "tunara/Page.h": ["app/Main.h"],
            "app/Main.h": [],
            "framework/Wnd.h": ["framework/WinApp.h"],
            "framework/WinApp.cpp": ["framework/Wnd.h"],
            "framework/WinApp.h": [],
        })
        self.assertEqual(code, 1)
        self.assertIn("circle of parts app/, tunara/", err)
        self.assertIn("circle of framework files: framework/WinApp, framework/Wnd", err)


if __name__ == "__main__":
    unittest.main()
