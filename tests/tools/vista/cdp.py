"""A small driver of headless Chromium over the DevTools protocol, on the pipe the browser
opens with --remote-debugging-pipe (file descriptors 3 and 4): no network, no packages."""

import json
import os
import shutil
import subprocess
import tempfile
import time


class Browser:
    def __init__(self, executable=None, width=1600, height=1000):
        self.executable = executable or os.environ.get("CHROMIUM", "/usr/bin/chromium")
        self.profile = tempfile.mkdtemp(prefix="vista-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()
        args = [
            self.executable,
            "--headless",
            "--no-sandbox",
            "--disable-gpu",
            "--disable-background-networking",
            "--disable-component-update",
            "--disable-sync",
            "--no-first-run",
            "--no-default-browser-check",
            "--disable-extensions",
            "--hide-scrollbars",
            "--remote-debugging-pipe",
            "--user-data-dir=" + self.profile,
            "--window-size=%d,%d" % (width, height),
            "about:blank",
        ]

        # The browser reads commands on fd 3 and writes answers on fd 4.
        def child_fds():
            os.dup2(to_browser_r, 3)
            os.dup2(from_browser_w, 4)
            os.set_inheritable(3, True)
            os.set_inheritable(4, True)

        self.proc = subprocess.Popen(
            args,
            preexec_fn=child_fds,
            close_fds=False,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b""
        self._next_id = 0
        self.events = []
        self.session = None
        targets = self.call("Target.getTargets")["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=page["targetId"], flatten=True)[
            "sessionId"
        ]
        self.call("Page.enable")
        self.call("Runtime.enable")
        self.call(
            "Emulation.setDeviceMetricsOverride",
            width=width,
            height=height,
            deviceScaleFactor=1,
            mobile=False,
        )

    def _read_message(self):
        while b"\0" not in self._buffer:
            chunk = os.read(self._from_browser, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, **params):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        while True:
            answer = self._read_message()
            if answer.get("id") == self._next_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer.get("result", {})
            self.events.append(answer)

    def evaluate(self, expression):
        result = self.call(
            "Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True
        )
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def wait_for(self, expression, timeout=20.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            try:
                if self.evaluate(expression):
                    return
            except RuntimeError:
                pass  # the page is still loading
            time.sleep(0.05)
        raise TimeoutError("waited for %s; page errors: %s" % (expression, self.errors()))

    def errors(self):
        """The exceptions the page threw so far."""
        return [
            e["params"]["exceptionDetails"].get("exception", {}).get("description", "")
            for e in self.events
            if e.get("method") == "Runtime.exceptionThrown"
        ]

    def open(self, url):
        self.call("Page.navigate", url=url)

    def close(self):
        try:
            self.call("Browser.close")
        except Exception:
            pass
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        os.close(self._to_browser)
        os.close(self._from_browser)
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


# ---- what the page tests share ----------------------------------------------------------

def senza_browser():
    """True, after saying so, where there is no browser to run (the test is then skipped)."""
    browser = os.environ.get("CHROMIUM", "/usr/bin/chromium")
    if os.access(browser, os.X_OK):
        return False
    print("no browser at %s: skipped" % browser)
    return True


def in_cartella(prefisso, prova):
    """prova(work) in a scratch folder that is removed afterwards; its exit status."""
    work = tempfile.mkdtemp(prefix=prefisso)
    try:
        return prova(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def scenario_predefinito(program, work):
    """The no-argument run's six files in `work`, written by a copy of the program there."""
    shutil.copy(program, os.path.join(work, "compattatore"))
    subprocess.run([os.path.join(work, "compattatore")], cwd=work, check=True,
                   stdout=subprocess.DEVNULL, env=dict(os.environ, DISPLAY=""))


class Verifiche:
    """Checks that go on after a failure: each is printed, and esito() is the exit status."""

    def __init__(self):
        self.falliti = []

    def __call__(self, condizione, cosa):
        print(("ok   " if condizione else "FAIL ") + cosa)
        if not condizione:
            self.falliti.append(cosa)

    def esito(self):
        if self.falliti:
            print("%d checks failed" % len(self.falliti))
            return 1
        return 0
