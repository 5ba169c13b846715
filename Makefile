# make run      - install what is missing, build the program, convert the bundled example
# make test     - install what is missing, build everything, run every test
# make install  - install under PREFIX (DESTDIR is honoured)
# make deb      - the Debian package, raredozud_VERSION_ARCH.deb, here
BUILD ?= build
# What is installed and packaged is built apart, without the tests and the
# seam they use to make file writes fail.
RELEASE_BUILD ?= $(BUILD)-release
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
PACKAGES = build-essential cmake pkg-config qt6-base-dev qt6-svg-dev libgsf-1-dev libpugixml-dev \
           libxml2-dev libicu-dev zlib1g-dev libxml2-utils libgtest-dev libgmock-dev \
           libbenchmark-dev libemf2svg-dev libemf2svg1 libwmf-dev libwmf-0.2-7 libtiff-dev \
           libpng-dev libminizip-dev nlohmann-json3-dev chromium nodejs npm dpkg-dev desktop-file-utils \
           groff-base fonts-dejavu-extra fonts-crosextra-carlito fonts-crosextra-caladea

.PHONY: all setup configure build run test release install deb clean

all: build

setup:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || \
	    command -v $$p >/dev/null 2>&1 || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages. Run as root:"; \
	    echo "  apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi
	@# scorm-again (the LMS harness of the end-to-end tests) asks for Node 20.19
	@# or newer; Debian 12's own nodejs is 18, with which npm installs it all
	@# the same (the runtime runs in the browser, not in node).
	@node -e 'const [a, b] = process.versions.node.split(".").map(Number); process.exit(a > 20 || (a === 20 && b >= 19) ? 0 : 1)' || \
	  echo "note: node $$(node --version) is older than 20.19, which the npm package scorm-again asks for; npm will warn when it installs it"

configure: setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# Only what the conversion runs: the program, its picture helper and window
# module, and the data beside them; `make test` builds the rest.
run: configure
	cmake --build $(BUILD) -j$(JOBS) --target raredozud rddata
	$(BUILD)/app/raredozud convert examples/course.txt

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

release: setup
	cmake -S . -B $(RELEASE_BUILD) -DRAREDOZUD_TESTS=OFF -DRAREDOZUD_BENCH=OFF \
	  -DRAREDOZUD_FAULT_INJECTION=OFF $(CMAKE_FLAGS)
	cmake --build $(RELEASE_BUILD) -j$(JOBS)

install: release
	cmake --install $(RELEASE_BUILD) --prefix $(PREFIX) --strip

deb: release
	cd $(RELEASE_BUILD) && cpack -G DEB
	mv $(RELEASE_BUILD)/raredozud_*.deb .

clean:
	rm -rf $(BUILD) $(RELEASE_BUILD)
