"""Packs the release archive from a build folder, the same bytes from the same sources whoever
packs it, wherever and whenever: what the build installs, in name order, every file dated to the
last commit, with fixed permissions and no owner. (CPack's own archives carry the packer's user,
time zone and directory order.) The archive is named as the CPack configuration names it.
Usage: pack_release.py BUILD_DIR OUT_DIR   (prints the archive's path)"""

import os
import re
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
FIXED_DATE = 1767225600   # 2026-01-01 00:00 UTC


def source_date():
    """The last commit's time; outside a git checkout (a `git archive` copy), SOURCE_DATE_EPOCH
    or a fixed date."""
    if (REPO / ".git").exists():
        try:
            return int(subprocess.run(["git", "-C", str(REPO), "log", "-1", "--format=%ct"],
                                      capture_output=True, text=True, check=True).stdout)
        except (OSError, subprocess.CalledProcessError):
            pass
    return int(os.environ.get("SOURCE_DATE_EPOCH", FIXED_DATE))


def main(build_dir, out_dir):
    config = (Path(build_dir) / "CPackConfig.cmake").read_text()
    name = re.search(r'set\(CPACK_PACKAGE_FILE_NAME "(.+)"\)', config).group(1)
    date = time.gmtime(source_date())[:6]   # zip dates have no time zone: UTC's
    archive_path = Path(out_dir) / f"{name}.zip"
    archive_path.parent.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as stage:
        subprocess.run(["cmake", "--install", build_dir, "--prefix", stage], stdout=subprocess.DEVNULL, check=True)
        files = sorted((path.relative_to(stage).as_posix(), path)
                       for path in Path(stage).rglob("*") if path.is_file())
        with zipfile.ZipFile(archive_path, "w") as archive:
            for relative, path in files:
                entry = zipfile.ZipInfo(f"{name}/{relative}", date)
                entry.create_system = 3   # Unix, whose permission bits follow
                entry.external_attr = (0o100755 if path.stat().st_mode & 0o111 else 0o100644) << 16
                entry.compress_type = zipfile.ZIP_DEFLATED
                archive.writestr(entry, path.read_bytes())
    print(archive_path)


if __name__ == "__main__":
    main(*sys.argv[1:])
