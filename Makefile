# make test   - install what is missing, build both presets, run every test
# make run    - open the installer window under Wine (Xvfb + screenshot without a display)
# make screenshot - refresh docs/window.png from a run under Wine + Xvfb
# make bench  - print the benchmark figures
BUILD    ?= build
NATIVE   := $(BUILD)/native
WINDOWS  := $(BUILD)/windows
XVFB     := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: all setup native windows test test-native test-windows run screenshot bench format

all: native windows

setup:
	@bash scripts/setup.sh

native: setup
	cmake --preset native -B $(NATIVE) >/dev/null
	cmake --build $(NATIVE) -j2

windows: setup
	cmake --preset windows -B $(WINDOWS) >/dev/null
	cmake --build $(WINDOWS) -j2

test: test-native test-windows

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure -j2

test-windows: windows
	$(XVFB) scripts/wine-tests.sh $(WINDOWS) --output-on-failure -j2

run: windows
	@bash scripts/run.sh $(abspath $(WINDOWS)) $(abspath $(BUILD))

screenshot: windows
	@bash scripts/screenshot.sh $(abspath $(WINDOWS)) docs/window.png

bench: native windows
	@bash scripts/bench.sh $(abspath $(NATIVE)) $(abspath $(WINDOWS))

format:
	find app net install tools tests -name '*.cpp' -o -name '*.h' | xargs clang-format -i
