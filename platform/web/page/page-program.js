// Loading the program (its script and its WebAssembly module) and running its main(). Every
// way this can fail is said in one sentence a visitor can act on.

// The browser can run the game at all: WebAssembly, with the double-to-integer instructions
// the build uses (every engine of the last years has them).
function hasWebAssembly() {
  return typeof WebAssembly === 'object' && typeof WebAssembly.instantiate === 'function' &&
         typeof WebAssembly.validate === 'function';
}

async function fetchModule(url) {
  let response;
  try {
    response = await fetch(url, {credentials: 'same-origin'});
  } catch (error) {
    throw new Error(`The game's program (${url}) could not be fetched: check the connection, then reload the page.`);
  }
  if (!response.ok) {
    throw new Error(`The game's program (${url}) could not be fetched (the server answered ${response.status}): reload the page; if that does not help, the site is missing a file.`);
  }
  return response;
}

// Streams and compiles at once where the server names the type; otherwise from the bytes.
async function instantiate(url, imports) {
  const response = await fetchModule(url);
  try {
    if (WebAssembly.instantiateStreaming &&
        response.headers.get('Content-Type') === 'application/wasm') {
      return await WebAssembly.instantiateStreaming(response, imports);
    }
    return await WebAssembly.instantiate(await response.arrayBuffer(), imports);
  } catch (error) {
    throw new Error(`This browser could not run the game's program (${url}: ${error.message}): try a current Firefox, Chrome, Edge or Safari.`);
  }
}

// Loads PROGRAM.js and PROGRAM.wasm with `settings` as Emscripten's Module. Calls
// `failed(sentence)` for anything that keeps the program from starting; the settings'
// onRuntimeInitialized says when it is ready.
export function loadProgram(program, settings, failed) {
  if (!hasWebAssembly()) {
    failed('This browser cannot run WebAssembly, which the game is made of: play it in a current Firefox, Chrome, Edge or Safari.');
    return;
  }
  window.Module = Object.assign(settings, {
    instantiateWasm(imports, receive) {
      instantiate(program + '.wasm', imports)
          .then(result => receive(result.instance, result.module), error => failed(error.message));
      return {};
    },
  });
  const script = document.createElement('script');
  script.src = program + '.js';
  script.onerror = () => failed(`The game's program (${script.src.split('/').pop()}) could not be loaded: check the connection, then reload the page.`);
  document.body.append(script);
}

// Runs main() with argv[0] = the program's name; resolves with its exit status.
export function runMain(program) {
  const Module = window.Module;
  const nameBytes = Module.lengthBytesUTF8(program) + 1;
  const name = Module._malloc(nameBytes);
  Module.stringToUTF8(program, name, nameBytes);
  const argv = Module._malloc(8);
  Module.setValue(argv, name, 'i32');
  Module.setValue(argv + 4, 0, 'i32');
  return Promise.resolve(
      Module.ccall('main', 'number', ['number', 'number'], [1, argv], {async: true}));
}
