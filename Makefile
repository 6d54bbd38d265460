# Front door for building, running and testing Tallimo: thin wrappers over CMake and Ninja.
#   make run    install what is missing, build, start Tallimo
#   make test   install what is missing, build, run every test
#   make bench | fuzz | sanitize | install PREFIX=...
#   make screenshots   render the dialogs to docs/*.png;  make icons   redraw res/icons/*.png
#   make package       build the Debian package build/tallimo_<version>_<arch>.deb
#   make test-package  lintian on that package; as root also install, start, purge and check it
#   make windows        cross-compile the native Windows program to build-windows/tallimo.exe,
#                       its measuring program tallimo-measure.exe and its console companion
#                       tallimo.com beside it
#   make test-windows   build the Windows suites and run them under Wine on a virtual X server
#   make bench-windows  time the Windows dialog on a 1 MiB list and the measuring of 1,000 mixed
#                       audio and video files under Wine, and size both programs
#   make package-windows  the Windows program's portable zip and per-user installer:
#                         build-windows/Tallimo-<version>-win64.zip and ...-win64-setup.exe
#   make test-package-windows  check both; install, start, upgrade and uninstall under Wine

BUILD        ?= build
BUILD_TYPE   ?= RelWithDebInfo
WERROR       ?= OFF
PREFIX       ?= /usr/local
FUZZ_SECONDS ?= 60
JOBS         ?= $(shell nproc)

CMAKE_CONFIGURE = cmake -S . -G Ninja -Wno-dev
WINDOWS_BUILD   ?= build-windows
# FFmpeg for the Windows program is built once per version and configuration, outside the build
# folder (see scripts/build-ffmpeg-windows); the configure step gets the folder it lands in.
WINDOWS_CONFIGURE = ffmpeg=$$(scripts/build-ffmpeg-windows $(WINDOWS_BUILD)); \
    $(CMAKE_CONFIGURE) -B $(WINDOWS_BUILD) --toolchain cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTALLIMO_WERROR=$(WERROR) -DTALLIMO_FFMPEG_PREFIX=$$ffmpeg

SHELL       := /bin/bash
.SHELLFLAGS := -eo pipefail -c

all: build

# Each kind of work installs only the Debian packages it needs (see scripts/install-deps).
deps:
	@scripts/install-deps linux

build: deps
	@$(CMAKE_CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTALLIMO_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Checked before building, so that a machine without a display learns at once what to do.
run:
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	  echo "make run: no display to show the Tallimo window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2; \
	  echo "To try it without one, run it on a virtual X server: xvfb-run make run" >&2; \
	  exit 1; \
	fi
	@$(MAKE) --no-print-directory build
	@$(BUILD)/ui/tallimo

# Once in each language, in locales of the build folder's own.
screenshots: build
	@tests/locales.sh $(BUILD)/locales
	@for locale in ja_JP en_US; do \
	  QT_QPA_PLATFORM=offscreen LOCPATH=$(BUILD)/locales LC_ALL=$$locale.UTF-8 LANGUAGE= \
	    $(BUILD)/ui/tallimo_screenshots docs || exit 1; \
	done

# Builds only the drawing program: the rest of the build needs the icons it draws.
icons: deps
	@$(CMAKE_CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTALLIMO_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD) --target tallimo_draw_icons
	@$(BUILD)/ui/tallimo_draw_icons res/icons

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@$(CMAKE_CONFIGURE) -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DTALLIMO_SANITIZE=ON \
	    -DTALLIMO_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	@ctest --test-dir $(BUILD)-asan --output-on-failure -j $(JOBS)

bench: deps
	@scripts/install-deps bench
	@$(CMAKE_CONFIGURE) -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DTALLIMO_BUILD_TESTS=OFF \
	    -DTALLIMO_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS)
	@for b in $(BUILD)-bench/bench/bench_*; do echo "== $$b"; \
	    TALLIMO_MEASURE=$(BUILD)-bench/ui/tallimo-measure $$b --benchmark_repetitions=5 \
	    --benchmark_report_aggregates_only=true || exit 1; done
	@echo "== bench/window-figures.sh"; xvfb-run -a bench/window-figures.sh $(BUILD)-bench/ui/tallimo

# Each fuzz target runs for FUZZ_SECONDS; crashes land in build-fuzz/ as crash-* files.
fuzz: deps
	@scripts/install-deps fuzz
	@CXX=clang++ $(CMAKE_CONFIGURE) -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTALLIMO_BUILD_TESTS=OFF -DTALLIMO_BUILD_FUZZ=ON >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)
	@for f in $(BUILD)-fuzz/fuzz/fuzz_*; do echo "== $$f ($(FUZZ_SECONDS) s)"; \
	    mkdir -p $(BUILD)-fuzz/corpus/$$(basename $$f); \
	    $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=$(BUILD)-fuzz/ \
	        $(BUILD)-fuzz/corpus/$$(basename $$f) 2>&1 | tail -n 12 || exit 1; done

windows:
	@scripts/install-deps windows
	@$(WINDOWS_CONFIGURE) >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target tallimo tallimo-measure tallimo_console

# Wine needs an X display for the dialogs; Xvfb gives one to every test, none of them to the user.
# Under Wine on a busy machine, a test program now and then passes its tests and then never ends;
# such a test runs once more, and a test that fails twice still fails.
test-windows:
	@scripts/install-deps windows
	@$(WINDOWS_CONFIGURE) >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
	    ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j $(JOBS) --repeat until-pass:2

bench-windows:
	@scripts/install-deps windows
	@$(WINDOWS_CONFIGURE) >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target tallimo tallimo-measure bench_dialog_win32 \
	    bench_media_win32
	@for exe in tallimo tallimo-measure; do \
	  echo "$$exe.exe: $$(stat -c %s $(WINDOWS_BUILD)/$$exe.exe) bytes"; done
	@xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" bash -c ' \
	    tests/win32/wine-prefix.sh $(abspath $(WINDOWS_BUILD))/wine-prefix \
	        tests/win32/prefix-settings.reg && \
	    export WINEPREFIX=$(abspath $(WINDOWS_BUILD))/wine-prefix WINEDEBUG=-all && \
	    wine $(WINDOWS_BUILD)/win32/bench_dialog_win32.exe && \
	    wine $(WINDOWS_BUILD)/win32/bench_media_win32.exe && wineserver -w'

package-windows:
	@scripts/install-deps windows installer
	@$(WINDOWS_CONFIGURE) >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target package_windows

# Installs into a Wine prefix of the build folder's own, never into ~/.wine, on a virtual X server
# for the installer's windows (-noreset: see the script). It takes a minute or so, so make test
# leaves it to CI.
test-package-windows: package-windows
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target tallimo_installer_pages
	@xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -noreset" \
	    tests/package/windows_test.sh $(WINDOWS_BUILD)

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	@scripts/install-deps package
	@cmake --build $(BUILD) --target package

# Installs the package on this machine for real, so it stays out of make test: CI runs it as root.
test-package: package
	@tests/package/deb_test.sh $(BUILD)

clean:
	@rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-bench $(BUILD)-fuzz $(WINDOWS_BUILD)
