# Set-up, build, test and launch. `make run` and `make test` are all a new machine needs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WIN_BUILD  ?= build-win
DEMO_DIR   ?= $(BUILD)/demo-project
DAY_DIR    ?= $(BUILD)/day-17
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX     ?= /usr/local

# The Windows build cross-compiles with MinGW-w64 (GoogleTest from its sources) and runs under
# Wine, its window on a virtual display (Xvfb, xauth); the .deb needs dpkg-shlibdeps (dpkg-dev)
# and file.
DEB_PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
                libgtest-dev libgmock-dev qt6-base-dev libsndfile1-dev \
                libcli11-dev nlohmann-json3-dev libpugixml-dev \
                g++-mingw-w64-x86-64-posix googletest wine64 xvfb xauth dpkg-dev file
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build test unit-tests stress-tests asan-tests windows-build windows-tests windows-package fuzz run \
        demo demo-day screenshot bench install package clean

# Installs only what is missing, so a second run touches nothing.
deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

unit-tests: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The plain suite STRESS_ROUNDS times over while a busy loop per core competes for every
# processor: a test that depends on timing or thread scheduling fails here. The busy loops
# end with the target, whether the tests pass or not.
STRESS_ROUNDS ?= 10
CORES := $(shell nproc 2>/dev/null || echo 2)
stress-tests: build
	@hogs=""; \
	for i in $$(seq $(CORES)); do sh -c 'while :; do :; done' & hogs="$$hogs $$!"; done; \
	trap 'kill $$hogs 2>/dev/null' EXIT INT TERM HUP; \
	start=$$(date +%s); \
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --repeat until-fail:$(STRESS_ROUNDS); \
	status=$$?; \
	echo "Stress tests, $(STRESS_ROUNDS) rounds beside $(CORES) busy loops: $$(( $$(date +%s) - start )) s"; \
	exit $$status

asan-tests: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTABRIX_SANITIZE=ON -DTABRIX_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The core, the window logic and the command line for 64-bit Windows, statically linked.
$(WIN_BUILD)/build.ninja:
	tools/windows/fetch-pugixml.sh $(WIN_BUILD)
	cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

windows-build: deps $(WIN_BUILD)/build.ninja
	tools/windows/fetch-pugixml.sh $(WIN_BUILD)
	cmake --build $(WIN_BUILD) -j $(JOBS)

# Every suite under Wine (its prefix lives in the build folder), then the demo project conformed
# by tabrix.exe, then the window's tests on a virtual display, its output checked against the
# Linux build's.
windows-tests: windows-build demo
	@start=$$(date +%s); \
	ctest --test-dir $(WIN_BUILD) --output-on-failure -j $(JOBS) && \
	tools/windows/conform-demo.sh $(WIN_BUILD) $(BUILD) $(DEMO_DIR) && \
	tools/windows/window-test.sh $(WIN_BUILD) $(BUILD) && \
	echo "Windows suites under Wine: $$(( $$(date +%s) - start )) s"

# build-win/tabrix-conform-<version>-windows-x64.zip: the window, the command line and README.txt,
# checked by running both programs from a fresh unpack under Wine.
windows-package: deps $(WIN_BUILD)/build.ninja demo
	tools/windows/fetch-pugixml.sh $(WIN_BUILD)
	cmake --build $(WIN_BUILD) -j $(JOBS) --target windows-zip
	@command -v import >/dev/null || DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq imagemagick
	tools/windows/check-package.sh $(WIN_BUILD) $(DEMO_DIR)

fuzz: deps
	BUILD_DIR=$(FUZZ_BUILD) bash tools/fuzz/run-fuzz.sh

# Every test, then ten more rounds beside busy loops (about a minute on two cores), then the whole
# suite again under AddressSanitizer + UBSan, then the Windows build under Wine, then 60 s of
# fuzzing.
test: unit-tests stress-tests asan-tests windows-tests fuzz

demo: build
	@if [ ! -d "$(DEMO_DIR)" ]; then $(BUILD)/tools/demo/tabrix-make-demo "$(DEMO_DIR)"; fi
	@echo "Demo project: $(abspath $(DEMO_DIR))"

run: demo
	@echo "Choose the folder $(abspath $(DEMO_DIR)) with \"Choose Project...\" to try a conform."
	$(BUILD)/src/app/qt/tabrix-conform

# A shooting day of about ninety takes for pictures of the window; hours of takes, but only
# their first seconds are on disk.
demo-day: build
	@if [ ! -d "$(DAY_DIR)" ]; then $(BUILD)/tools/demo/tabrix-make-demo --day "$(DAY_DIR)"; fi
	@echo "Demo day: $(abspath $(DAY_DIR))"

# Redraws docs/main-window.png (the Qt window) with the demo day loaded and its plan zoomed to
# 10:00-11:00, and docs/windows-window.png (the Windows window under Wine) with the demo project
# loaded, on virtual displays.
screenshot: demo-day demo $(WIN_BUILD)/build.ninja
	@command -v xvfb-run >/dev/null || DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq xvfb xauth
	@command -v import >/dev/null || DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq imagemagick
	xvfb-run -a -s "-screen 0 1280x800x24" $(BUILD)/tools/demo/tabrix-screenshot --size 960x480 \
	  --from 10:00 --to 11:00 "$(DAY_DIR)" docs/main-window.png
	tools/windows/fetch-pugixml.sh $(WIN_BUILD)
	cmake --build $(WIN_BUILD) -j $(JOBS) --target tabrix-conform
	tools/windows/screenshot.sh $(WIN_BUILD) $(DEMO_DIR) docs/windows-window.png

bench: deps
	cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABRIX_BUILD_APP=OFF
	cmake --build build-release -j $(JOBS) --target LoadBench RenderBench
	build-release/bench/LoadBench
	build-release/bench/RenderBench

# The programs, desktop entry, icons and man page under PREFIX (DESTDIR is honoured too).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# build/tabrix-conform_<version>_<arch>.deb; its dependencies are read off the programs.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) build-release
