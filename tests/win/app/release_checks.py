#!/usr/bin/env python3
"""Checks of the release that run on the Linux side of the build.

  release_checks.py imports  OBJDUMP BUILD_DIR EXE...   every exe imports only system DLLs
  release_checks.py package  CPACK BUILD_DIR NAME
      scripts/package run twice on the built program (the second time later, with the
      files touched): same bytes, SHA-256 printed,
      the files expected and no others, the exe the one built; signed with the test
      key the first time (vostrel.exe.sig beside the zip), not the second, and refused
      a key the build does not hold; then the zip is
      unpacked into BUILD_DIR/release-unpacked for the tests that start it under Wine.
"""
import base64
import hashlib
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[3]
TEST_KEY = ROOT / "tests" / "support" / "update_test_key.pem"

# DLLs every Windows since 7 has in System32. Anything else (libstdc++-6.dll,
# libgcc_s_dw2-1.dll, libwinpthread-1.dll, ...) would have to travel with the exe.
SYSTEM_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll", "imm32.dll",
    "kernel32.dll", "msimg32.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll",
    "psapi.dll", "rpcrt4.dll", "shell32.dll", "shlwapi.dll", "urlmon.dll", "user32.dll",
    "uxtheme.dll", "version.dll", "winhttp.dll", "wininet.dll", "winmm.dll", "ws2_32.dll",
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def finish():
    for message in failures:
        print(f"FAIL: {message}")
    print("ok" if not failures else f"{len(failures)} check(s) failed")
    return 1 if failures else 0


def check_imports(objdump, build_dir, exes):
    for exe in exes:
        path = build_dir / exe
        if not check(path.exists(), f"{path} was not built"):
            continue
        dump = subprocess.run([objdump, "-p", str(path)],
                              capture_output=True, text=True, check=True).stdout
        dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
        check("kernel32.dll" in dlls, f"{exe}: no imports found at all:\n{dump[:2000]}")
        foreign = sorted(dlls - SYSTEM_DLLS)
        check(not foreign, f"{exe} imports DLLs that Windows does not have: {', '.join(foreign)}")
        print(f"{exe}: imports {', '.join(sorted(dlls))}")
    return finish()


def package_command(cpack, build_dir, out_dir, *options, signing_key=None):
    # Never the key of whoever runs the tests: only the one given here.
    env = {name: value for name, value in os.environ.items() if name != "VOSTREL_SIGNING_KEY"}
    if signing_key:
        env["VOSTREL_SIGNING_KEY"] = str(signing_key)
    return subprocess.run([sys.executable, str(ROOT / "scripts" / "package"), "--no-build", "--cpack", cpack,
                           "--build-dir", str(build_dir), "--out", str(out_dir), *options],
                          capture_output=True, text=True, env=env)


def run_package(cpack, build_dir, out_dir, signing_key=None):
    """Runs scripts/package on the test build into out_dir; returns (printed digest, zip path, output)."""
    shutil.rmtree(out_dir, ignore_errors=True)
    result = package_command(cpack, build_dir, out_dir, "--allow-loopback", signing_key=signing_key)
    if result.returncode != 0:
        sys.exit(f"FAIL: scripts/package ended with {result.returncode}:\n{result.stdout}{result.stderr}")
    last = result.stdout.strip().splitlines()[-1]
    match = re.fullmatch(r"([0-9a-f]{64})  (.+)", last)
    if not match:
        sys.exit(f"FAIL: scripts/package did not end with '<sha256>  <zip>': {last!r}")
    return match.group(1), pathlib.Path(match.group(2)), result.stdout


def built_in_key(build_dir):
    cache = (build_dir / "CMakeCache.txt").read_text(encoding="utf-8", errors="replace")
    found = re.search(r"^VOSTREL_UPDATE_PUBLIC_KEY:[A-Z]+=(.*)$", cache, re.MULTILINE)
    return found.group(1).strip() if found else ""


def verifies(path, signature, public_hex):
    """Whether openssl takes the raw r||s signature for the key X||Y's signature of the file."""
    if len(signature) != 64 or len(public_hex) != 128:
        return False
    key = bytes.fromhex("3059301306072a8648ce3d020106082a8648ce3d030107034200" "04" + public_hex)

    def integer(value):
        value = value.lstrip(b"\0") or b"\0"
        value = b"\0" + value if value[0] & 0x80 else value
        return bytes([2, len(value)]) + value

    body = integer(signature[:32]) + integer(signature[32:])
    with tempfile.TemporaryDirectory() as work:
        pem, der = pathlib.Path(work) / "key.pem", pathlib.Path(work) / "signature.der"
        pem.write_text(f"-----BEGIN PUBLIC KEY-----\n{base64.b64encode(key).decode()}\n-----END PUBLIC KEY-----\n")
        der.write_bytes(bytes([0x30, len(body)]) + body)
        return subprocess.run(["openssl", "dgst", "-sha256", "-verify", str(pem), "-signature", str(der), str(path)],
                              capture_output=True).returncode == 0


def check_signing(cpack, build_dir, work, signed_zip, unsigned_zip, unsigned_output):
    signature = signed_zip.parent / "vostrel.exe.sig"
    if check(signature.exists(), "scripts/package with VOSTREL_SIGNING_KEY left no vostrel.exe.sig beside the zip"):
        check(verifies(build_dir / "vostrel.exe", signature.read_bytes(), built_in_key(build_dir)),
              "vostrel.exe.sig is not the signature of vostrel.exe by the key built into it")
    check(not (unsigned_zip.parent / "vostrel.exe.sig").exists() and "signed nothing" in unsigned_output,
          f"without VOSTREL_SIGNING_KEY scripts/package signed, or did not say it did not: {unsigned_output}")
    # What a key the build does not hold signs would never be installed.
    stranger, out = work / "stranger-key.pem", work / "stranger"
    shutil.rmtree(out, ignore_errors=True)
    subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", str(stranger)], check=True)
    refused = package_command(cpack, build_dir, out, "--allow-loopback", signing_key=stranger)
    check(refused.returncode != 0 and not out.exists(),
          f"scripts/package packed and signed with a key the build does not hold: {refused.stdout}{refused.stderr}")


def check_readme(text_bytes, version):
    check(text_bytes.startswith(b"\xef\xbb\xbf"), "README.txt lacks the UTF-8 byte-order mark Notepad needs")
    check(b"\n" not in text_bytes.replace(b"\r\n", b""), "README.txt has lines not ended by CRLF")
    try:
        text = text_bytes.decode("utf-8-sig")
    except UnicodeDecodeError as error:
        check(False, f"README.txt is not UTF-8: {error}")
        return
    check(not re.search(r"@[A-Z_]+@", text), "README.txt holds an unreplaced @VARIABLE@")
    check(version in text.splitlines()[0], f"README.txt's first line does not name version {version}")
    # What a moderator has to find in it: every key, the capture, the library file, the update.
    for needed in ["F1", "F3", "F4", "F5", "F6", "F7", "F8", "F10", "抓取指定客户端", "morvath.txt",
                   "在线更新", "standin-client"]:
        check(needed in text, f"README.txt does not mention {needed}")


def check_package(cpack, build_dir, name):
    work = build_dir / "release-check"
    # The tested build looks for its updates on 127.0.0.1: not a zip for moderators.
    refused = package_command(cpack, build_dir, work / "refused")
    check(refused.returncode != 0 and "127.0.0.1" in refused.stderr,
          f"scripts/package packed a test build without --allow-loopback: {refused.stdout}{refused.stderr}")
    check(not (work / "refused" / f"{name}.zip").exists(), "a refused package still left a zip")
    first_digest, first_zip, _ = run_package(cpack, build_dir, work / "first", signing_key=TEST_KEY)
    # Same files, newer modification times, a later run (zip times have 2 s steps):
    # none of that may reach the zip.
    time.sleep(2.1)
    for built in [build_dir / "vostrel.exe", build_dir / "standin-client.exe",
                  build_dir / "package-files" / "README.txt"]:
        if built.exists():
            os.utime(built)
    second_digest, second_zip, second_output = run_package(cpack, build_dir, work / "second")
    check_signing(cpack, build_dir, work, first_zip, second_zip, second_output)

    check(first_zip.name == f"{name}.zip", f"the zip is called {first_zip.name}, not {name}.zip")
    data = first_zip.read_bytes()
    check(hashlib.sha256(data).hexdigest() == first_digest, "the printed SHA-256 is not the zip's")
    check(first_digest == second_digest and data == second_zip.read_bytes(),
          f"two runs on the same build gave different zips: {first_digest} and {second_digest}")

    expected = {f"{name}/", f"{name}/vostrel.exe", f"{name}/README.txt", f"{name}/morvath.txt",
                f"{name}/standin-client/", f"{name}/standin-client/standin-client.exe"}
    with zipfile.ZipFile(first_zip) as archive:
        check(archive.testzip() is None, "the zip has a damaged entry")
        infos = archive.infolist()
        names = [info.filename for info in infos]
        check(set(names) == expected, f"the zip holds {sorted(names)}, expected {sorted(expected)}")
        check(names == sorted(names), "the zip's entries are not in name order")
        stamps = {info.date_time for info in infos}
        check(len(stamps) == 1, f"the entries carry different timestamps: {sorted(stamps)}")

        def member(path):
            return archive.read(f"{name}/{path}") if f"{name}/{path}" in names else b""

        check(member("vostrel.exe") == (build_dir / "vostrel.exe").read_bytes(),
              "the zip's vostrel.exe is not the one built")
        check(member("standin-client/standin-client.exe") == (build_dir / "standin-client.exe").read_bytes(),
              "the zip's standin-client.exe is not the one built")
        check(member("morvath.txt") == (ROOT / "packaging" / "morvath.txt").read_bytes(),
              "the zip's morvath.txt is not packaging/morvath.txt")
        check_readme(member("README.txt"), name.split("-", 1)[1])

        # For the tests that start the unpacked program under Wine.
        unpacked = build_dir / "release-unpacked"
        shutil.rmtree(unpacked, ignore_errors=True)
        archive.extractall(unpacked)

    regenerated = subprocess.run([sys.executable, str(ROOT / "packaging" / "make-sample-library"), "--check"],
                                 capture_output=True, text=True)
    check(regenerated.returncode == 0,
          f"packaging/morvath.txt is not what its generator writes: {regenerated.stderr.strip()}")
    print(f"{first_digest}  {first_zip.name}")
    return finish()


def main(argv):
    if len(argv) >= 4 and argv[0] == "imports":
        return check_imports(argv[1], pathlib.Path(argv[2]), argv[3:])
    if len(argv) == 4 and argv[0] == "package":
        return check_package(argv[1], pathlib.Path(argv[2]), argv[3])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
