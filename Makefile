# Two commands do everything on a fresh Debian 12 machine:
#   make demo   the plug-in's main job in the sandbox host, on a sample profile
#   make test   builds the DLL and the tests and runs every test
#   make bench  measures the plug-in's speed and size (not part of make test)
#   make run    opens the sandbox host's window on your display, for you to use
#   make dist   the release zip: the DLL, a translation template and an install note
BUILD := build

.PHONY: all deps configure build test demo run bench dist clean

all: build

deps:
	@sh scripts/install-deps.sh

configure: deps
	cmake --preset mingw-i686 -B $(BUILD) >/dev/null

build: configure
	cmake --build $(BUILD) -j 2

test: build
	xvfb-run -a sh -c 'sh scripts/wine-prefix.sh $(BUILD) && sh scripts/run-tests.sh $(BUILD)'

demo: build
	xvfb-run -a sh -c 'sh scripts/wine-prefix.sh $(BUILD) && sh scripts/run-demo.sh $(BUILD)'

# The sandbox host's window on the current display; the profile it keeps
# survives restarts.
run: build
	sh scripts/run-sandbox.sh $(BUILD)

# Speed and size of the plug-in next to their floors; not part of `make test`.
bench: build
	cmake --build $(BUILD) -j 2 --target QuillmereBench
	xvfb-run -a sh -c 'sh scripts/wine-prefix.sh $(BUILD) && sh scripts/run-bench.sh $(BUILD)'

# The build makes the zip; this names it and shows what it holds.
dist: build
	@zip="$(BUILD)/Quillmere-$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(BUILD)/CMakeCache.txt).zip"; \
	test -f "$$zip" || { echo "$$zip was not made" >&2; exit 1; }; \
	echo "$$zip ($$(wc -c <"$$zip") bytes):"; \
	cmake -E tar tvf "$$zip"

clean:
	rm -rf $(BUILD)
