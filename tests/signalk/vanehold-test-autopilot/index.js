// A stand-in pilot for the tests, registered as the default device of the
// server's Autopilot API. Every target it is sent is appended to
// targets.jsonl in the server's config folder, one JSON line each; its
// state and mode are set by the test through PUT .../autopilots/_default/state
// and .../mode, as a sailor would set them at the pilot. A target is taken
// only in the compass mode while engaged, as a real pilot in a wind mode
// would read it as a wind angle.
const fs = require('fs')
const path = require('path')

module.exports = function (app) {
  const device = 'vanehold-test-pilot'
  const modes = ['compass', 'wind', 'route']
  const states = ['auto', 'standby']
  let pilot = { state: 'standby', mode: 'compass', target: null, engaged: false }
  const targetsFile = path.join(app.config.configPath, 'targets.jsonl')

  const publish = () =>
    app.autopilotUpdate(device, {
      state: pilot.state,
      mode: pilot.mode,
      target: pilot.target,
      engaged: pilot.engaged
    })
  const refuse = (message) => {
    const err = new Error(message)
    err.statusCode = 400
    return Promise.reject(err)
  }

  const provider = {
    getData: async () => ({
      options: { states: states.map((s) => ({ name: s, engaged: s === 'auto' })), modes },
      target: pilot.target,
      mode: pilot.mode,
      state: pilot.state,
      engaged: pilot.engaged
    }),
    getState: async () => pilot.state,
    setState: async (state) => {
      if (!states.includes(state)) return refuse(`unknown state ${state}`)
      pilot.state = state
      pilot.engaged = state === 'auto'
      publish()
    },
    getMode: async () => pilot.mode,
    setMode: async (mode) => {
      if (!modes.includes(mode)) return refuse(`unknown mode ${mode}`)
      pilot.mode = mode
      publish()
    },
    getTarget: async () => pilot.target,
    setTarget: async (value) => {
      if (!pilot.engaged) return refuse('Pilot in standby: target not taken')
      if (pilot.mode !== 'compass') return refuse(`Pilot in ${pilot.mode} mode: target not taken`)
      pilot.target = value
      fs.appendFileSync(targetsFile, JSON.stringify({ value }) + '\n')
      publish()
    },
    adjustTarget: async () => refuse('not supported'),
    engage: async () => provider.setState('auto'),
    disengage: async () => provider.setState('standby'),
    tack: async () => refuse('not supported'),
    gybe: async () => refuse('not supported'),
    dodge: async () => refuse('not supported')
  }

  return {
    id: 'vanehold-test-autopilot',
    name: 'Vanehold test autopilot',
    start: () => {
      app.registerAutopilotProvider(provider, [device])
      publish()
    },
    stop: () => {},
    schema: () => ({ type: 'object', properties: {} })
  }
}
