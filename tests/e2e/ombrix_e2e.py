"""The real i686 Ombrix.exe under 32-bit Wine, started and driven as a user does: image files
chosen through the real open and save dialogs, copies whole and in a range checked against dd, a
stop mid-way, a refusal, the details box, the swap and the exit question. Each step leaves a
screenshot in the artefacts folder.

    python3 ombrix_e2e.py --exe Ombrix.exe --probe ombrix_probe.exe --artefacts DIR \
        --prefix WINEPREFIX --work DIR [unittest arguments]
"""

import faulthandler
import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

from session import Session

MAIN_TITLE = "Zerkano [Ombrix] 2010 Ver 1.6"
IDOK, IDYES, IDNO = 1, 6, 7
IDC_EXIT, IDC_SOURCE_LIST, IDC_TARGET_LIST, IDC_RANGE_OPTION = 2, 1001, 1002, 1003
IDC_START_SECTOR, IDC_SECTOR_COUNT, IDC_PROGRESS, IDC_STOP = 1004, 1005, 1006, 1007
IDC_COPY, IDC_SOURCE_IMAGE, IDC_TARGET_IMAGE = 1008, 1013, 1014
IDC_SWAP, IDC_DETAILS, IDC_PROGRESS_STATUS = 1015, 1016, 1019

FILE_NAME = 1148  # the file name box of the system's file dialogs
OPEN_TITLE = "请选择需要打开镜像文件："
SAVE_TITLE = "请选择需保存镜像文件的路径，以及输入文件名："
ARGS = None
SKIPPED = 77  # the exit status that tells ctest the tests could not run here


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def pattern_file(path, mib, seed):
    """A file of `mib` MiB whose every 512-byte sector differs from the others."""
    with open(path, "wb") as out:
        for block in range(mib * 2048):
            out.write((f"{seed}:{block:012d}:".encode() * 32)[:512])


class OmbrixTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(dir=ARGS.work)
        artefacts = os.path.join(ARGS.artefacts, self.id().split(".")[-1])
        shutil.rmtree(artefacts, ignore_errors=True)
        self.session = Session(ARGS.exe, ARGS.probe, ARGS.prefix, artefacts)

    def tearDown(self):
        self.session.close()
        shutil.rmtree(self.work, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.work, name)

    # What a user does, step by step.
    def add_source(self, file):
        s = self.session
        s.click(s.main(), IDC_SOURCE_IMAGE)
        dialog = s.wait_window(lambda w: w.title == OPEN_TITLE, "the open dialog")
        s.screenshot("open-dialog", dialog)
        s.click(dialog, FILE_NAME, "Edit")
        s.type(windows_path(file))
        s.key("Return")
        s.answer(s.wait_box("成功添加到“源硬盘”列表在中！"), IDOK)

    def add_target(self, file, exists=False):
        s = self.session
        s.click(s.main(), IDC_TARGET_IMAGE)
        warning = s.wait_box("请不要将“镜像文件”保存到FAT分区中")
        s.screenshot("fat-warning", warning)
        s.answer(warning, IDOK)
        dialog = s.wait_window(lambda w: w.title == SAVE_TITLE, "the save dialog")
        s.screenshot("save-dialog", dialog)
        s.click(dialog, FILE_NAME, "Edit")
        s.type(windows_path(file))
        s.key("Return")
        if exists:
            question = s.wait_window(
                lambda w: w.cls == "#32770" and w.title == SAVE_TITLE and
                any(c.id == IDYES for c in w.controls), "the overwrite question")
            s.screenshot("overwrite-question", question)
            s.answer(question, IDYES)
        s.answer(s.wait_box("成功添加到“目标硬盘”列表在中！"), IDOK)

    def copy(self, image_target=True, watch=None):
        """Copy, Yes, the notice of an image target, then the end box, whose text is returned."""
        s = self.session
        s.click(s.main(), IDC_COPY)
        question = s.wait_box("是否开始复制 ？")
        s.screenshot("copy-question", question)
        s.answer(question, IDYES)
        if image_target:
            s.answer(s.wait_box("目标是镜像文件"), IDOK)
        if watch:
            watch()
        end = s.wait_window(lambda w: w.cls == "#32770" and not w.title.startswith("Zerkano") and
                            any("复制" in t for t in w.texts()), "the end of the copy", 120)
        s.screenshot("copy-end", end)
        text = " ".join(end.texts())
        s.answer(end, IDOK)
        return text

    def expect_idle(self):
        """The transfer over: the commands back, stop disabled, the caption the template's."""
        main = self.session.wait_window(
            lambda w: w.title == MAIN_TITLE and w.control(IDC_COPY).enabled and
            not w.control(IDC_STOP).enabled, "the idle state")
        self.assertEqual(main.control(IDC_PROGRESS).value, 0)
        return main

    # The scenarios.
    def test_whole_and_range_copy_between_images(self):
        s = self.session
        main = s.start()
        s.screenshot("start", main)
        self.assertEqual(main.title, MAIN_TITLE)
        self.assertEqual(main.control(IDC_COPY).text, "开始复制")
        self.expect_idle()

        source, target = self.path("source.img"), self.path("target.img")
        pattern_file(source, 8, "source")
        pattern_file(target, 2, "old")  # an existing file: the save dialog asks first
        self.add_source(source)
        self.add_target(target, exists=True)
        main = s.main()
        self.assertEqual(main.control(IDC_SOURCE_LIST).text, "Image File: source.img    8.00 MB")
        self.assertEqual(main.control(IDC_TARGET_LIST).text, "Image File: target.img")
        s.screenshot("both-chosen", main)

        seen = []

        def watch():
            # The progress as it runs: the caption stays, the status line under the bar speaks.
            for _ in range(50):
                now = s.main()
                seen.append((now.title, now.control(IDC_PROGRESS).value,
                             now.control(IDC_PROGRESS_STATUS).text))
                if any(w.cls == "#32770" and "复制完毕" in " ".join(w.texts()) for w in s.windows()):
                    break
        self.assertEqual(self.copy(watch=watch), "复制完毕 ！")
        self.assertTrue(all(title == MAIN_TITLE for title, _, _ in seen), seen)
        self.assertTrue(filecmp.cmp(source, target, shallow=False), "whole copy differs")
        self.expect_idle()

        # A range: sectors 1000 to 2999 of the source onto the same sectors of the target.
        reference = self.path("reference.img")
        shutil.copyfile(target, reference)
        pattern_file(source, 8, "second")
        subprocess.run(["dd", f"if={source}", f"of={reference}", "bs=512", "skip=1000",
                        "seek=1000", "count=2000", "conv=notrunc", "status=none"], check=True)
        main = s.main()
        s.click(main, IDC_RANGE_OPTION)
        main = s.main()
        self.assertEqual(main.control(IDC_SECTOR_COUNT).text, "16384")  # the whole source
        s.set_edit(main, IDC_START_SECTOR, "1000")
        s.set_edit(main, IDC_SECTOR_COUNT, "2000")
        s.screenshot("range-chosen", s.main())
        self.assertEqual(self.copy(), "复制完毕 ！")
        self.assertTrue(filecmp.cmp(reference, target, shallow=False), "range copy differs from dd")

    def test_stop_midway_keeps_what_was_written(self):
        s = self.session
        s.start()
        source, target = self.path("big.img"), self.path("stopped.img")
        # Large enough that the copy is still running when the stop is answered.
        with open(source, "wb") as out:
            block = b"\x5a" * (1 << 20)
            for _ in range(3072):
                out.write(block)
        self.add_source(source)
        self.add_target(target)

        def stop():
            # Under way for a second: the status line under the bar gives the rate and the time
            # left, and the caption stays the template's.
            main = s.wait_window(lambda w: w.title == MAIN_TITLE and w.control(IDC_STOP).enabled
                                 and "MB/s" in w.control(IDC_PROGRESS_STATUS).text,
                                 "the copy under way", 60)
            s.screenshot("copy-running", main)
            self.assertRegex(main.control(IDC_PROGRESS_STATUS).text,
                             r"^\d+ %  ·  [\d.]+ MB/s  ·  剩余 \d+:\d\d:\d\d$")
            s.click(main, IDC_STOP)
            question = s.wait_box("是否停止操作 ？")
            s.screenshot("stop-question", question)
            s.answer(question, IDYES)
        self.assertEqual(self.copy(watch=stop), "复制完毕 ！")
        self.expect_idle()
        copied = os.path.getsize(target)
        self.assertGreater(copied, 0)
        self.assertLess(copied, os.path.getsize(source), "the stop came too late")
        with open(source, "rb") as a, open(target, "rb") as b:
            self.assertEqual(a.read(copied), b.read())

    def test_refusal_details_swap_and_exit(self):
        s = self.session
        s.start()
        image, other = self.path("same.img"), self.path("other.img")
        pattern_file(image, 1, "same")
        self.add_source(image)
        self.add_target(image, exists=True)  # the same file in both lists
        s.click(s.main(), IDC_COPY)
        s.answer(s.wait_box("是否开始复制 ？"), IDYES)
        refusal = s.wait_box("“源介质”与“目标介质”相同，请从新选择 ！")
        s.screenshot("refusal", refusal)
        s.answer(refusal, IDOK)
        self.assertEqual(os.path.getsize(image), 1 << 20)

        self.add_target(other)
        s.click(s.main(), IDC_DETAILS)
        details = s.wait_window(lambda w: w.title == "详细信息", "the details box")
        s.screenshot("details", details)
        text = " ".join(details.texts())
        self.assertIn("源硬盘", text)
        self.assertIn("目标硬盘", text)
        s.answer(details, IDOK)

        before = s.main()
        s.click(before, IDC_SWAP)
        s.answer(s.wait_box("是否要对“源硬盘”与“目标硬盘”交换位置 ？"), IDYES)
        after = s.main()
        s.screenshot("swapped", after)
        # The media trade places; a list's label of the same file may differ (a target entry shows
        # no size).
        def medium(label):
            return label.split("    ")[0]
        self.assertEqual(medium(after.control(IDC_SOURCE_LIST).text), "Image File: other.img")
        self.assertEqual(medium(after.control(IDC_TARGET_LIST).text), "Image File: same.img")
        self.assertEqual(medium(before.control(IDC_SOURCE_LIST).text), "Image File: same.img")
        self.assertEqual(medium(before.control(IDC_TARGET_LIST).text), "Image File: other.img")

        s.click(after, IDC_EXIT)
        question = s.wait_box("是否退出 ？")
        s.screenshot("exit-question", question)
        s.answer(question, IDYES)
        s.program.wait(timeout=20)
        self.assertEqual(s.program.returncode, 0)


def main():
    # Where it hung, before ctest gives up on it.
    faulthandler.dump_traceback_later(280, exit=True)
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("exe", "probe", "artefacts", "prefix", "work"):
        parser.add_argument("--" + name, required=True)
    ARGS, rest = parser.parse_known_args()
    os.makedirs(ARGS.work, exist_ok=True)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
